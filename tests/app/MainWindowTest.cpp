// The main window as built for the program, over a content view whose engine
// renders offline: the mixer button's place and wiring, and pointer hiding
// driven by real window events.
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/SLMMixerWindowController.h"
#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

bool pointerHidden()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        window = createMainWindow(qml, content, error);
        ASSERT_TRUE(window) << error.toStdString();
        window->resize(320, 200);
        content.attach(window.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        button = window->findChild<QQuickItem*>(QStringLiteral("mixerButton"));
        ASSERT_NE(button, nullptr);
    }

    void TearDown() override
    {
        // The window goes before the content it binds to, as in the program.
        window.reset();
    }

    QPoint buttonCentre() const
    {
        return button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint();
    }

    QQmlEngine qml;
    ContentView content{[] {
                            return std::make_unique<SLMAudioEngine>(std::make_unique<OfflineAudioOutput>(48000.0, 2),
                                                                    std::make_unique<MemoryDeviceControl>());
                        },
                        qml};
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* button = nullptr;
};

TEST_F(MainWindowTest, MixerButtonSitsSixteenPointsInFromTheTopRightCorner)
{
    EXPECT_EQ(window->title(), QStringLiteral("Starlume"));
    EXPECT_EQ(button->size(), QSizeF(34, 34));
    const QPointF topLeft = button->mapToScene(QPointF(0, 0));
    EXPECT_EQ(topLeft, QPointF(320 - 16 - 34, 16));
    window->resize(500, 300);
    const QPointF corner(500 - 16 - 34, 16);
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->mapToScene(QPointF(0, 0)) == corner; }, 5000))
        << "the button does not follow the corner";
    // The attached ToolTip object lives as a child of the button.
    QString toolTip;
    for (QObject* child : button->children())
        if (QByteArray(child->metaObject()->className()).contains("ToolTipAttached"))
            toolTip = child->property("text").toString();
    EXPECT_EQ(toolTip, QStringLiteral("Open Mixer Window"));
}

TEST_F(MainWindowTest, MixerButtonOpensTheMixerWindowedAndInFullScreen)
{
    SLMMixerWindowController& mixer = *content.mixerWindowController();
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, buttonCentre());
    ASSERT_NE(mixer.mixerWindow(), nullptr) << "the button did not open the mixer";
    EXPECT_TRUE(mixer.mixerWindow()->isVisible());
    mixer.mixerWindow()->close();
    ASSERT_FALSE(mixer.mixerWindow()->isVisible());

    content.toggleFullScreen();
    ASSERT_TRUE(content.isFullScreen());
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, buttonCentre());
    EXPECT_TRUE(mixer.mixerWindow()->isVisible()) << "the button does nothing in full screen";
}

// The delays and edge cases are the state machine's, tested on their own; this
// is the wiring from real window events to the desktop's pointer.
TEST_F(MainWindowTest, PointerHidesAfterThreeStillSecondsInFullScreen)
{
    const QPoint inside(100, 100);
    content.toggleFullScreen();
    QTest::mouseMove(window.get(), inside);
    slm::test::processEventsFor(2500ms);
    EXPECT_FALSE(pointerHidden()) << "hidden too early";
    EXPECT_TRUE(slm::test::processEventsUntil(pointerHidden, 1500ms)) << "never hidden";

    QTest::mouseMove(window.get(), inside + QPoint(5, 5));
    EXPECT_FALSE(pointerHidden()) << "movement did not bring the pointer back";
    content.leaveFullScreen();
}

} // namespace
