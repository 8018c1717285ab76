// starlume-play: plays the soundscape on the default output of the sound
// server for a while, as the application does, and with --measure reports
// what the output achieved.

#include "LiveMeasurement.h"

#include "pulse/PulseDeviceControl.h"
#include "pulse/PulseAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("starlume-play"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays the Starlume soundscape on the default output."));
    parser.addHelpOption();
    const QCommandLineOption secondsOption(QStringLiteral("seconds"), QStringLiteral("How long to play (default 60)."),
                                           QStringLiteral("seconds"), QStringLiteral("60"));
    const QCommandLineOption measureOption(QStringLiteral("measure"),
                                           QStringLiteral("Report latency, underruns and recoveries at the end."));
    const QCommandLineOption pauseOption(QStringLiteral("pause-at"),
                                         QStringLiteral("Pause at this many seconds after the start (repeatable)."),
                                         QStringLiteral("seconds"));
    const QCommandLineOption playOption(QStringLiteral("play-at"),
                                        QStringLiteral("Play at this many seconds after the start (repeatable)."),
                                        QStringLiteral("seconds"));
    parser.addOption(secondsOption);
    parser.addOption(measureOption);
    parser.addOption(pauseOption);
    parser.addOption(playOption);
    parser.process(app);

    bool ok = false;
    const double seconds = parser.value(secondsOption).toDouble(&ok);
    if (!ok || !(seconds > 0) || seconds > 86400) {
        std::fprintf(stderr, "starlume-play: --seconds needs a number of seconds above 0\n");
        return 2;
    }

    auto output = std::make_unique<PulseAudioOutput>();
    PulseAudioOutput& live = *output;
    SLMAudioEngine engine(std::move(output), std::make_unique<PulseDeviceControl>());
    if (!engine.isRunning())
        return 1;

    QTimer wallClock;
    QObject::connect(&wallClock, &QTimer::timeout, &engine, [&] { engine.updateWallClock(QDateTime::currentDateTime()); });
    engine.updateWallClock(QDateTime::currentDateTime());
    wallClock.start(100);

    std::unique_ptr<LiveMeasurement> measurement;
    if (parser.isSet(measureOption))
        measurement = std::make_unique<LiveMeasurement>(live);

    // Each request is stamped on stdout with the realtime clock, so a
    // recording of the sink's monitor can be lined up with it.
    const auto schedule = [&](const QCommandLineOption& option, bool play) {
        for (const QString& value : parser.values(option)) {
            const double at = value.toDouble(&ok);
            if (!ok || !(at >= 0))
                return false;
            QTimer::singleShot(static_cast<int>(at * 1000), &engine, [&engine, play] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                play ? engine.play() : engine.pause();
                std::printf("%s requested at %lld.%09ld\n", play ? "play" : "pause", static_cast<long long>(now.tv_sec),
                            now.tv_nsec);
                std::fflush(stdout);
            });
        }
        return true;
    };
    if (!schedule(pauseOption, false) || !schedule(playOption, true)) {
        std::fprintf(stderr, "starlume-play: --pause-at and --play-at need a number of seconds\n");
        return 2;
    }

    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QCoreApplication::quit);
    app.exec();

    if (measurement)
        std::printf("%s\n", qPrintable(measurement->report()));
    return 0;
}
