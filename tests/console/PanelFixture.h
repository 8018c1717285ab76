#pragma once

#include "ConsoleQuickFixture.h"
#include "engine/OfflineEngine.h"

#include <QString>

class MemoryDeviceControl;

// The real console board over an engine that renders offline, on a memory
// output device the test controls, shown at its natural 1226 x 760.
class PanelFixture : public ConsoleQuickFixture {
protected:
    void SetUp() override;

    QQuickItem* panel() const { return m_panel; }
    // The item named `name` on the board, searched in the visual tree (the
    // items a Repeater makes have no QObject parent).
    QQuickItem* item(const char* name) const;
    SLMAudioEngine& engine() { return m_offline.engine(); }
    SLMAudioParameters& parameters() { return m_offline.parameters(); }
    SLMSystemOutputVolume& output() { return *m_offline.engine().systemOutput(); }
    MemoryDeviceControl& device();

    // Left-clicks the centre of the named item.
    void click(const char* name);
    // Clicks a fader `y` points below its top.
    void clickFader(const char* name, double y);
    // The text a readout shows.
    QString readout(const char* name);

    // Renders `seconds` of sound and hands the meters and the analyser what
    // the render produced, as the main loop would.
    void renderAndDeliver(double seconds);

private:
    slm::test::OfflineEngine m_offline{48000.0};
    QQuickItem* m_panel = nullptr;
};
