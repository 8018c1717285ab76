#include "PanelFixture.h"

#include "control/MemoryDeviceControl.h"
#include "support/EventLoop.h"

#include <QTest>

#include <cmath>

void PanelFixture::SetUp()
{
    ConsoleQuickFixture::SetUp();
    QQuickItem* root = show(R"(
import QtQuick
import Starlume.Console
Item {
    required property QtObject engine
    width: 1226; height: 760
    SLMAudioPanel { objectName: "panel"; audioEngine: parent.engine }
}
)",
                            {{QStringLiteral("engine"), QVariant::fromValue<QObject*>(&m_offline.engine())}});
    ASSERT_TRUE(root);
    m_panel = ConsoleQuickFixture::item("panel");
    ASSERT_TRUE(m_panel);
}

QQuickItem* PanelFixture::item(const char* name) const
{
    const QList<QQuickItem*> found = items(m_panel, name);
    if (found.size() != 1)
        ADD_FAILURE() << found.size() << " items named " << name;
    return found.value(0);
}

MemoryDeviceControl& PanelFixture::device()
{
    return dynamic_cast<MemoryDeviceControl&>(output().device());
}

void PanelFixture::click(const char* name)
{
    QQuickItem* target = item(name);
    ASSERT_TRUE(target);
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(target, {target->width() / 2, target->height() / 2}));
}

void PanelFixture::clickFader(const char* name, double y)
{
    QQuickItem* fader = item(name);
    ASSERT_TRUE(fader);
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(fader, {fader->width() / 2, y}));
}

QString PanelFixture::readout(const char* name)
{
    QQuickItem* display = item(name);
    return display ? display->property("text").toString() : QString();
}

void PanelFixture::renderAndDeliver(double seconds)
{
    const auto frames = static_cast<std::int64_t>(std::llround(seconds * m_offline.rate()));
    const std::int64_t chunk = 1600; // one meter hand-off at 48 kHz
    for (std::int64_t done = 0; done < frames; done += chunk) {
        m_offline.skip(std::min(chunk, frames - done));
        engine().deliverPendingMeterUpdates();
        // The analysis keeps step, so no block finds its queue full.
        engine().spectrum()->waitUntilIdle();
    }
    slm::test::drainPostedEvents();
}
