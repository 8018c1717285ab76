#include "ProgramWindow.h"

#include "app/MainWindow.h"
#include "app/SLMMixerWindowController.h"
#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"

#include <QTest>

namespace slm::test {

QQuickItem* findItem(QQuickItem* root, const char* name)
{
    if (!root || root->objectName() == QLatin1String(name))
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

QQuickItem* findItem(QQuickWindow* window, const char* name)
{
    return window ? findItem(window->contentItem(), name) : nullptr;
}

ProgramWindowFixture::ProgramWindowFixture()
    : content([] {
                  return std::make_unique<SLMAudioEngine>(std::make_unique<OfflineAudioOutput>(48000.0, 2),
                                                          std::make_unique<MemoryDeviceControl>());
              },
              qml)
{
}

void ProgramWindowFixture::SetUp()
{
    QString error;
    window = createMainWindow(qml, content, error);
    ASSERT_TRUE(window) << error.toStdString();
    window->resize(320, 200);
    content.attach(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    mixerButton = window->findChild<QQuickItem*>(QStringLiteral("mixerButton"));
    ASSERT_NE(mixerButton, nullptr);
}

QPoint ProgramWindowFixture::mixerButtonCentre() const
{
    return mixerButton->mapToScene(QPointF(mixerButton->width() / 2, mixerButton->height() / 2)).toPoint();
}

void ProgramWindowFixture::pressMixerButton()
{
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, mixerButtonCentre());
}

QQuickWindow* ProgramWindowFixture::mixer() const
{
    return content.mixerWindowController()->mixerWindow();
}

} // namespace slm::test
