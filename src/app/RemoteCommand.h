#pragma once

#include "control/SLMPresetID.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <optional>

// What the command-line remote asks of Starlume. The same request reaches a
// running instance as org.freedesktop.Application actions, so a launch and a
// hand-over apply it alike.
struct RemoteCommand {
    enum class Transport { unchanged, play, pause, toggle };

    Transport transport = Transport::unchanged;
    std::optional<SLMPresetID> preset;
    // Minutes; 0 turns the timer off.
    std::optional<double> sleepMinutes;
    bool openMixer = false;
    bool toggleFullScreen = false;
    bool quit = false;

    bool isEmpty() const;

    // Longer than any night; anything beyond is more likely a typo.
    static constexpr double maxSleepMinutes = 24 * 60;

    struct Action {
        QString name;
        QVariantList parameter; // empty, or one value
    };
    // In the order they are applied: transport first, since playing cancels
    // a sleep timer that the same command may set.
    QList<Action> toActions() const;
    // Merges one action received from outside the process into this command.
    // False, leaving the command as it was, for an unknown name or a bad value.
    bool addAction(const QString& name, const QVariantList& parameter);

    bool operator==(const RemoteCommand&) const = default;
};

struct ParsedCommandLine {
    enum class Outcome { run, help, version, error };
    Outcome outcome = Outcome::run;
    RemoteCommand command;
    // One line naming the offending option, when outcome is error.
    QString error;
};

// Reads the program's arguments (without the program name). Options of Qt
// itself (-platform, -qwindowgeometry, ...) are left to Qt and skipped with
// their values.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

QString commandLineHelp();
