#pragma once

#include "app/ContentView.h"
#include "engine/SLMAudioEngine.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <gtest/gtest.h>

#include <memory>

namespace slm::test {

// The item named `name` at or below `root`, searched in the visual tree (the
// items a Repeater makes have no QObject parent). Null if there is none.
QQuickItem* findItem(QQuickItem* root, const char* name);
QQuickItem* findItem(QQuickWindow* window, const char* name);

// The main window as the program builds it, shown at 320 x 200 over a content
// view whose engine renders offline.
class ProgramWindowFixture : public ::testing::Test {
protected:
    ProgramWindowFixture();
    void SetUp() override;
    // The window goes before the content it binds to, as in the program.
    void TearDown() override { window.reset(); }

    QPoint mixerButtonCentre() const;
    void pressMixerButton();
    QQuickWindow* mixer() const;

    QQmlEngine qml;
    ContentView content;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* mixerButton = nullptr;
};

} // namespace slm::test
