// The main window as built for the program: the mixer button's place and
// wiring, and pointer hiding driven by real window events.
#include "app/SLMMixerWindowController.h"
#include "support/EventLoop.h"
#include "support/ProgramWindow.h"

#include <QGuiApplication>
#include <QTest>

using namespace std::chrono_literals;

namespace {

bool pointerHidden()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor && cursor->shape() == Qt::BlankCursor;
}

using MainWindowTest = slm::test::ProgramWindowFixture;

TEST_F(MainWindowTest, MixerButtonSitsSixteenPointsInFromTheTopRightCorner)
{
    window->resize(500, 300);
    const QPointF corner(500 - 16 - 34, 16);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mixerButton->mapToScene(QPointF(0, 0)) == corner; }, 5000))
        << "the button does not follow the corner";
    // The attached ToolTip object lives as a child of the button.
    QString toolTip;
    for (QObject* child : mixerButton->children())
        if (QByteArray(child->metaObject()->className()).contains("ToolTipAttached"))
            toolTip = child->property("text").toString();
    EXPECT_EQ(toolTip, QStringLiteral("Open Mixer Window"));
}

// That it is one window, reused, is MixerWindowTest's.
TEST_F(MainWindowTest, MixerButtonOpensTheMixerOnTheEngineWindowedAndInFullScreen)
{
    pressMixerButton();
    QQuickWindow* made = mixer();
    ASSERT_NE(made, nullptr) << "the button did not open the mixer";
    EXPECT_TRUE(made->isVisible());
    QQuickItem* panel = slm::test::findItem(made, "audioPanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->property("audioEngine").value<QObject*>(), content.audioEngine());

    made->close();
    content.toggleFullScreen();
    pressMixerButton();
    EXPECT_TRUE(made->isVisible()) << "the button does nothing in full screen";
    content.leaveFullScreen();
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
