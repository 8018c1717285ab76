#pragma once

#include "app/ContentView.h"

#include <QString>

#include <functional>
#include <memory>

class StreamVolume;

// The program's entry: one main window whose content owns the sound engine.
// Runs the whole program and returns its exit status.
class StarlumeApp {
public:
    static inline const QString applicationName = QStringLiteral("Starlume");
    // The reverse-DNS id: the bus name and the installed .desktop file's base name.
    static inline const QString applicationId = QStringLiteral("io.github.starlume.Starlume");
    // The themed icon's name, as installed into hicolor/scalable/apps.
    static inline const QString iconName = QStringLiteral("starlume");

    // Links the stream-volume model to the sound server; the returned object
    // keeps the link until the program ends.
    using StreamVolumeLink = std::function<std::unique_ptr<QObject>(StreamVolume&)>;

    static int run(int argc, char** argv, const ContentView::EngineFactory& makeEngine,
                   const StreamVolumeLink& linkStreamVolume = {});
};
