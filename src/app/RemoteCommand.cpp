#include "app/RemoteCommand.h"

#include <cmath>

namespace {

// Qt's own options that take a value, with one dash or two.
const QStringList qtOptionsWithValue = {
    QStringLiteral("platform"),   QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),     QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"),          QStringLiteral("display"),
    QStringLiteral("name"),       QStringLiteral("title"),              QStringLiteral("geometry"),
    QStringLiteral("style"),      QStringLiteral("stylesheet"),         QStringLiteral("visual"),
};
const QStringList qtFlags = {
    QStringLiteral("reverse"), QStringLiteral("sync"),    QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("testability"), QStringLiteral("widgetcount"),
};

std::optional<SLMPresetID> presetFromName(const QString& name)
{
    return slm::presetIDFromRawValue(name.toLower());
}

bool validSleepMinutes(double minutes)
{
    return std::isfinite(minutes) && minutes >= 0.0 && minutes <= RemoteCommand::maxSleepMinutes;
}

// "off", or minutes > 0.
std::optional<double> sleepFromText(const QString& text)
{
    if (text.compare(QStringLiteral("off"), Qt::CaseInsensitive) == 0)
        return 0.0;
    bool ok = false;
    const double minutes = text.toDouble(&ok);
    if (!ok || !validSleepMinutes(minutes) || minutes <= 0.0)
        return std::nullopt;
    return minutes;
}

QString bad(const QString& what)
{
    return QStringLiteral("starlume: %1 (see starlume --help)").arg(what);
}

} // namespace

bool RemoteCommand::isEmpty() const
{
    return *this == RemoteCommand{};
}

QList<RemoteCommand::Action> RemoteCommand::toActions() const
{
    QList<Action> actions;
    switch (transport) {
    case Transport::unchanged:
        break;
    case Transport::play:
        actions.append({QStringLiteral("play"), {}});
        break;
    case Transport::pause:
        actions.append({QStringLiteral("pause"), {}});
        break;
    case Transport::toggle:
        actions.append({QStringLiteral("toggle"), {}});
        break;
    }
    if (preset)
        actions.append({QStringLiteral("preset"), {slm::presetRawValue(*preset)}});
    if (sleepMinutes)
        actions.append({QStringLiteral("sleep"), {*sleepMinutes}});
    if (openMixer)
        actions.append({QStringLiteral("mixer"), {}});
    if (toggleFullScreen)
        actions.append({QStringLiteral("fullscreen"), {}});
    if (quit)
        actions.append({QStringLiteral("quit"), {}});
    return actions;
}

bool RemoteCommand::addAction(const QString& name, const QVariantList& parameter)
{
    const auto flag = [&](auto apply) {
        if (!parameter.isEmpty())
            return false;
        apply();
        return true;
    };
    if (name == QLatin1String("play"))
        return flag([this] { transport = Transport::play; });
    if (name == QLatin1String("pause"))
        return flag([this] { transport = Transport::pause; });
    if (name == QLatin1String("toggle"))
        return flag([this] { transport = Transport::toggle; });
    if (name == QLatin1String("mixer"))
        return flag([this] { openMixer = true; });
    if (name == QLatin1String("fullscreen"))
        return flag([this] { toggleFullScreen = true; });
    if (name == QLatin1String("quit"))
        return flag([this] { quit = true; });
    if (parameter.size() != 1)
        return false;
    const QVariant& value = parameter.front();
    if (name == QLatin1String("preset")) {
        if (value.typeId() != QMetaType::QString)
            return false;
        const auto id = presetFromName(value.toString());
        if (!id)
            return false;
        preset = id;
        return true;
    }
    if (name == QLatin1String("sleep")) {
        // Numbers only: a string would make "30" and "thirty" a matter of luck.
        const int type = value.typeId();
        if (type != QMetaType::Double && type != QMetaType::Int && type != QMetaType::UInt &&
            type != QMetaType::LongLong && type != QMetaType::ULongLong)
            return false;
        const double minutes = value.toDouble();
        if (!validSleepMinutes(minutes))
            return false;
        sleepMinutes = minutes;
        return true;
    }
    return false;
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    ParsedCommandLine parsed;
    const auto fail = [&parsed](const QString& what) {
        parsed.outcome = ParsedCommandLine::Outcome::error;
        parsed.error = bad(what);
        return parsed;
    };
    std::optional<QString> transportOption;
    const auto setTransport = [&](RemoteCommand::Transport transport, const QString& option) {
        if (transportOption && *transportOption != option)
            return false;
        transportOption = option;
        parsed.command.transport = transport;
        return true;
    };

    bool helpAsked = false;
    bool versionAsked = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2)
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(argument));

        const bool doubleDash = argument.startsWith(QLatin1String("--"));
        QString name = argument.mid(doubleDash ? 2 : 1);
        std::optional<QString> inlineValue;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name.truncate(eq);
        }

        if (qtOptionsWithValue.contains(name)) {
            if (!inlineValue)
                ++i; // Qt reports a missing value itself
            continue;
        }
        if (qtFlags.contains(name) || name.startsWith(QLatin1String("qmljsdebugger")))
            continue;
        if (!doubleDash)
            return fail(QStringLiteral("unknown option %1").arg(argument));

        const QString option = QStringLiteral("--") + name;
        const auto takesNoValue = [&] { return !inlineValue; };
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };

        using T = RemoteCommand::Transport;
        if (name == QLatin1String("help") || name == QLatin1String("version") || name == QLatin1String("play") ||
            name == QLatin1String("pause") || name == QLatin1String("toggle") || name == QLatin1String("mixer") ||
            name == QLatin1String("fullscreen") || name == QLatin1String("quit")) {
            if (!takesNoValue())
                return fail(QStringLiteral("%1 takes no value").arg(option));
        }

        if (name == QLatin1String("help")) {
            helpAsked = true;
        } else if (name == QLatin1String("version")) {
            versionAsked = true;
        } else if (name == QLatin1String("play") || name == QLatin1String("pause") || name == QLatin1String("toggle")) {
            const T transport = name == QLatin1String("play")    ? T::play
                                : name == QLatin1String("pause") ? T::pause
                                                                 : T::toggle;
            if (!setTransport(transport, option))
                return fail(QStringLiteral("%1 contradicts %2").arg(option, *transportOption));
        } else if (name == QLatin1String("preset")) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--preset needs a name: void, drift, swarm, storm or custom"));
            const auto id = presetFromName(*text);
            if (!id)
                return fail(QStringLiteral("--preset: no preset \"%1\" (void, drift, swarm, storm or custom)").arg(*text));
            parsed.command.preset = id;
        } else if (name == QLatin1String("sleep")) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--sleep needs minutes or off"));
            const auto minutes = sleepFromText(*text);
            if (!minutes)
                return fail(QStringLiteral("--sleep: \"%1\" is not minutes from more than 0 to %2, or off")
                                .arg(*text)
                                .arg(RemoteCommand::maxSleepMinutes));
            parsed.command.sleepMinutes = minutes;
        } else if (name == QLatin1String("mixer")) {
            parsed.command.openMixer = true;
        } else if (name == QLatin1String("fullscreen")) {
            parsed.command.toggleFullScreen = true;
        } else if (name == QLatin1String("quit")) {
            parsed.command.quit = true;
        } else {
            return fail(QStringLiteral("unknown option %1").arg(option));
        }
    }
    if (helpAsked)
        parsed.outcome = ParsedCommandLine::Outcome::help;
    else if (versionAsked)
        parsed.outcome = ParsedCommandLine::Outcome::version;
    return parsed;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "Usage: starlume [OPTION]...\n"
        "Plays an endless ambient soundscape and shows a chaos clock of the time of day.\n"
        "With Starlume already running, the options are handed to it.\n"
        "\n"
        "  --play             play\n"
        "  --pause            fade out and pause\n"
        "  --toggle           play when paused, pause when playing\n"
        "  --preset NAME      switch to a preset: void, drift, swarm, storm or custom\n"
        "  --sleep MINUTES    fade out over the last minute and pause after MINUTES\n"
        "                     (fractions allowed); --sleep off cancels the timer\n"
        "  --mixer            open the mixer\n"
        "  --fullscreen       toggle full screen\n"
        "  --quit             quit the running Starlume\n"
        "  --help             show this help and exit\n"
        "  --version          show the version and exit\n");
}
