#pragma once

#include <QString>

#include <memory>

class ContentView;
class QQmlEngine;
class QQuickWindow;

// Builds the main window (the chaos clock and the mixer button) over
// `contentView`, not yet shown and not yet attached. On failure returns
// nothing and says why in `error`.
std::unique_ptr<QQuickWindow> createMainWindow(QQmlEngine& qml, ContentView& contentView, QString& error);
