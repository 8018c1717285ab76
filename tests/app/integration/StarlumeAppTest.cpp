// The application as its user meets it: the real binary on a private X server,
// session bus and sound server. The rules behind each feature are proved by
// the unit tests; these prove the wiring from the desktop to them.
#include "DesktopSession.h"
#include "X11Client.h"

#include "../FakeDesktopPortal.h"
#include "../FakeScreenSaver.h"
#include "support/EventLoop.h"
#include "support/MonitorRecorder.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <type_traits>

using namespace std::chrono_literals;

namespace {

const QString startedLine = QStringLiteral("SLM Audio Engine started \u2014 FREEZE + aggressive MUTE/SOLO online.");
const QString firstFrame = QStringLiteral("first frame on screen");
const QString mainTitle = QStringLiteral("Starlume");
const QString mixerTitle = QStringLiteral("Starlume \u2014 Mixer");

// Polls without an event loop of its own (the child runs in its own process).
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3000ms)
{
    return slm::test::processEventsUntil(condition, timeout);
}

// A bus service stand-in answering from a thread of its own: the test often
// blocks on child processes, and an answer that came late would time out the
// program's request (and send it down its fallback path).
template <typename Fake>
class OnItsOwnThread {
public:
    explicit OnItsOwnThread(const QString& busAddress)
        : m_connectionName(QString::fromLatin1(Fake::staticMetaObject.className()) + busAddress)
    {
        m_thread.start();
        m_fake.moveToThread(&m_thread);
        m_registered = m_fake.registerOn(QDBusConnection::connectToBus(busAddress, m_connectionName));
    }
    ~OnItsOwnThread()
    {
        m_thread.quit();
        m_thread.wait();
        m_fake.moveToThread(QThread::currentThread());
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
    bool registered() const { return m_registered; }
    auto calls() { return read([](Fake& f) { return f.calls; }); }
    std::size_t activeCount() { return read([](Fake& f) { return f.active.size(); }); }

private:
    template <typename F>
    std::invoke_result_t<F, Fake&> read(F f)
    {
        std::invoke_result_t<F, Fake&> value{};
        QMetaObject::invokeMethod(&m_fake, [&] { value = f(m_fake); }, Qt::BlockingQueuedConnection);
        return value;
    }

    QString m_connectionName;
    QThread m_thread;
    Fake m_fake;
    bool m_registered = false;
};

class StarlumeApp {
public:
    enum class Size { small, standard };

    // A small window unless the test looks at the clock: the clock is drawn by
    // Mesa's software rasteriser here, and tests run side by side.
    explicit StarlumeApp(const DesktopSession& session, Size size = Size::small, const QStringList& options = {},
                         const QMap<QString, QString>& variables = {})
        : m_output(m_process)
    {
        QProcessEnvironment environment = session.environment();
        environment.insert(QStringLiteral("STARLUME_REPORT_FIRST_FRAME"), QStringLiteral("1"));
        for (auto it = variables.cbegin(); it != variables.cend(); ++it)
            environment.insert(it.key(), it.value());
        m_process.setProcessEnvironment(environment);
        QStringList arguments;
        if (size == Size::small)
            arguments << QStringLiteral("-qwindowgeometry") << QStringLiteral("480x300+0+0");
        m_process.start(QStringLiteral(STARLUME_BINARY), arguments + options);
    }
    ~StarlumeApp()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    QProcess& process() { return m_process; }
    bool waitFor(const QString& text, std::chrono::milliseconds timeout = 5000ms) { return m_output.waitFor(text, timeout); }
    QString output() { return m_output.all(); }
    // Standard error, less the first-frame report the tests ask for.
    QStringList errorLines()
    {
        QStringList lines = m_output.errors().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) { return line.contains(firstFrame); });
        return lines;
    }
    // Whether it ended by itself, normally and with exit code 0.
    bool exitsCleanly(std::chrono::milliseconds timeout = 5000ms)
    {
        return m_process.waitForFinished(static_cast<int>(timeout.count()))
            && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    void signal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }

private:
    QProcess m_process;
    OutputWatcher m_output;
};

// A command-line client run to its end: exit code and its output, trimmed.
struct Ran {
    int exitCode = -1;
    QString out;
    QStringList errorLines;
    qint64 milliseconds = 0;
};

Ran run(const DesktopSession& session, const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(session.environment());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(10000);
    Ran ran;
    ran.milliseconds = timer.elapsed();
    ran.exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    ran.errorLines = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ran;
}

class StarlumeAppTest : public ::testing::Test {
protected:
    void start(DesktopSession::Options options = {})
    {
        session = std::make_unique<DesktopSession>(options);
        ASSERT_TRUE(session->problem().isEmpty()) << session->problem().toStdString();
        x11 = std::make_unique<X11Client>(session->display());
        ASSERT_TRUE(x11->isConnected());
    }

    // Waits for the app's main window and its first frame; returns the window.
    std::uint32_t launch(StarlumeApp& app)
    {
        EXPECT_TRUE(app.waitFor(firstFrame, 10000ms)) << app.output().toStdString();
        std::uint32_t window = 0;
        const bool shown = eventually([&] {
            if (auto w = x11->windowTitled(mainTitle))
                window = *w;
            return window != 0 || app.process().state() == QProcess::NotRunning;
        }, 5000ms);
        EXPECT_TRUE(shown && window != 0) << app.output().toStdString();
        return window;
    }

    void focus(std::uint32_t window)
    {
        x11->focus(window);
        QThread::msleep(100); // let the app take the focus-in before keys arrive
    }

    void sendKeys(const QString& keys) { run(*session, QStringLiteral("xdotool"), {"key", keys}); }
    Ran remote(const QStringList& options) { return run(*session, QStringLiteral(STARLUME_BINARY), options); }
    QString playerctl(const QStringList& arguments)
    {
        return run(*session, QStringLiteral("playerctl"), QStringList{"-p", "starlume"} + arguments).out;
    }
    bool statusBecomes(const QString& wanted, std::chrono::milliseconds timeout = 3000ms)
    {
        return eventually([&] { return playerctl({"status"}) == wanted; }, timeout);
    }

    std::unique_ptr<DesktopSession> session;
    std::unique_ptr<X11Client> x11;
};

TEST_F(StarlumeAppTest, StartsPlaysAndShowsTheClockWindow)
{
    start();
    slm::test::MonitorRecorder recorder(session->environment().value(QStringLiteral("PULSE_SERVER")),
                                        QStringLiteral("starlume_null"), 48000, 2);
    ASSERT_TRUE(recorder.start());
    StarlumeApp app(*session, StarlumeApp::Size::standard);
    const std::uint32_t window = launch(app);
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(app.waitFor(startedLine, 100ms)) << app.output().toStdString();
    EXPECT_EQ(x11->windowsTitled(mainTitle).size(), 1u);
    EXPECT_GE(x11->geometry(window).width(), 1024);

    // The chaos clock fills the window and moves.
    auto litShare = [](const QImage& image) {
        qint64 lit = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                lit += qGray(image.pixel(x, y)) > 24;
        return double(lit) / ((image.width() / 4) * (image.height() / 4));
    };
    const QImage first = x11->grab(window);
    ASSERT_FALSE(first.isNull());
    EXPECT_GT(litShare(first), 0.02) << "the window shows no clock";
    // Frames come slowly from a software rasteriser on a busy machine.
    EXPECT_TRUE(eventually([&] { return x11->grab(window) != first; }, 5000ms)) << "the clock does not move";

    // After the silent lead-in and within the first seconds of the fade-in, the
    // soundscape reaches the sound server's sink.
    ASSERT_TRUE(recorder.waitForFrames(3 * 48000, 10000ms)) << "nothing was recorded";
    double peak = 0;
    for (float sample : recorder.samples())
        peak = std::max(peak, std::abs(double(sample)));
    EXPECT_GT(peak, 1e-4) << "nothing reached the null sink";
    EXPECT_LE(peak, 1.0);
}

TEST_F(StarlumeAppTest, FullScreenFollowsTheShortcutsAndKeepsTheScreenAwake)
{
    start();
    OnItsOwnThread<FakeScreenSaver> screenSaver(session->busAddress());
    ASSERT_TRUE(screenSaver.registered());

    StarlumeApp app(*session);
    const std::uint32_t window = launch(app);
    ASSERT_NE(window, 0u);
    focus(window);

    auto inhibited = [&] { return screenSaver.activeCount() == 1; };
    auto released = [&] { return screenSaver.activeCount() == 0 && !screenSaver.calls().empty(); };

    sendKeys(QStringLiteral("F11"));
    ASSERT_TRUE(eventually(inhibited)) << "F11 did not enter full screen";
    EXPECT_EQ(screenSaver.calls().front().application, mainTitle);
    sendKeys(QStringLiteral("F11"));
    ASSERT_TRUE(eventually(released)) << "F11 did not toggle back";
    // Escape leaves it too. (Full screen the window manager gives counts the
    // same; that is ContentViewTest's.)
    sendKeys(QStringLiteral("F11"));
    ASSERT_TRUE(eventually(inhibited));
    sendKeys(QStringLiteral("Escape"));
    ASSERT_TRUE(eventually(released)) << "Escape did not leave full screen";

    // And one held at exit is released.
    sendKeys(QStringLiteral("F11"));
    ASSERT_TRUE(eventually(inhibited));
    sendKeys(QStringLiteral("ctrl+q"));
    ASSERT_TRUE(app.exitsCleanly()) << "Ctrl+Q did not end the program";
    EXPECT_TRUE(eventually(released)) << "the inhibition outlived the program";
}

TEST_F(StarlumeAppTest, SecondLaunchRaisesTheRunningWindowAndLeavesAndAKilledOneBlocksNothing)
{
    start();
    StarlumeApp first(*session);
    const std::uint32_t window = launch(first);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(first.waitFor(startedLine));

    const std::uint32_t other = x11->createWindow({100, 100, 400, 300});
    ASSERT_TRUE(eventually([&] { return x11->focusedWindow() == other; }));

    StarlumeApp second(*session);
    ASSERT_TRUE(second.exitsCleanly(3000ms)) << "the second launch kept running";
    EXPECT_TRUE(second.output().contains(QStringLiteral("already running"))) << second.output().toStdString();
    EXPECT_FALSE(second.output().contains(startedLine)) << "a second engine started";
    // Focus is the window manager's to grant (and this desktop has none): X
    // refuses a focus request stamped before the user's last focus change.
    EXPECT_TRUE(eventually([&] { return x11->isAbove(window, other); })) << "the running window was not raised";
    EXPECT_EQ(x11->windowsTitled(mainTitle).size(), 1u);
    EXPECT_EQ(first.process().state(), QProcess::Running);

    first.signal(SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(2000));
    StarlumeApp next(*session);
    EXPECT_TRUE(next.waitFor(startedLine)) << "a killed instance blocked the next start: " << next.output().toStdString();
}

TEST_F(StarlumeAppTest, WithoutABusALockFileKeepsItToOneInstance)
{
    start({.bus = false, .sound = true});
    StarlumeApp first(*session);
    ASSERT_TRUE(first.waitFor(startedLine)) << first.output().toStdString();

    StarlumeApp second(*session);
    ASSERT_TRUE(second.process().waitForFinished(3000));
    EXPECT_EQ(second.process().exitCode(), 1);
    const QStringList lines = second.errorLines();
    ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].contains(QString::number(first.process().processId()))) << lines[0].toStdString();

    // Without a bus there is no channel for the remote: it says so and leaves.
    const Ran pause = remote({"--pause"});
    EXPECT_EQ(pause.exitCode, 1);
    ASSERT_EQ(pause.errorLines.size(), 1) << pause.errorLines.join('\n').toStdString();
    EXPECT_TRUE(pause.errorLines[0].contains(QStringLiteral("cannot be given commands"))) << pause.errorLines[0].toStdString();

    // The lock of a killed instance is stale.
    first.signal(SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(2000));
    StarlumeApp next(*session);
    EXPECT_TRUE(next.waitFor(startedLine)) << "a killed instance's lock blocked the next start: " << next.output().toStdString();
}

// How fast it quits is measured by tools/measure-app.sh; here it must end,
// normally, without hanging on its audio or render threads. (Ctrl+Q is the
// full-screen test's.)
TEST_F(StarlumeAppTest, QuitsCleanlyByClosingTheWindowOrBySignal)
{
    start();
    {
        // Closing the main window ends the program even with the mixer window open.
        StarlumeApp app(*session);
        const std::uint32_t window = launch(app);
        ASSERT_TRUE(app.waitFor(startedLine));
        focus(window);
        sendKeys(QStringLiteral("ctrl+m"));
        ASSERT_TRUE(eventually([&] { return x11->windowTitled(mixerTitle).has_value(); })) << "Ctrl+M opened no mixer";
        x11->requestClose(window);
        EXPECT_TRUE(app.exitsCleanly()) << "closing the main window did not end the program";
    }
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        // A logout or Ctrl+C in a terminal ends it as Ctrl+Q does.
        StarlumeApp app(*session);
        launch(app);
        ASSERT_TRUE(app.waitFor(startedLine));
        app.signal(signalNumber);
        EXPECT_TRUE(app.exitsCleanly()) << "signal " << signalNumber;
    }
}

TEST_F(StarlumeAppTest, StartsSilentWithOneLineWhenNoSoundServerAnswers)
{
    start({.bus = true, .sound = false});
    StarlumeApp app(*session);
    EXPECT_NE(launch(app), 0u);
    EXPECT_TRUE(app.waitFor(QStringLiteral("SLM Audio Engine: invalid output sample rate."))) << app.output().toStdString();
    EXPECT_EQ(app.process().state(), QProcess::Running);
    const QStringList errors = app.errorLines();
    ASSERT_EQ(errors.size(), 1) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(errors[0].contains(QStringLiteral("sound"))) << errors[0].toStdString();
}

// The line's format is ClockFrameReport's; here it comes, every five seconds,
// with the quality the environment asks for over the stored one.
TEST_F(StarlumeAppTest, ReportsTheClockFrameRateWithTheQualityTheEnvironmentAsksOverTheSetting)
{
    start();
    QSettings(session->path(QStringLiteral("config/Starlume/Starlume.conf")), QSettings::NativeFormat)
        .setValue(QStringLiteral("SLM.ClockQuality"), QStringLiteral("reduced"));
    StarlumeApp app(*session, StarlumeApp::Size::small, {},
                    {{QStringLiteral("STARLUME_REPORT_FRAMES"), QStringLiteral("1")},
                     {QStringLiteral("STARLUME_CLOCK_QUALITY"), QStringLiteral("full")}});
    ASSERT_NE(launch(app), 0u);
    ASSERT_TRUE(app.waitFor(QStringLiteral("render scale"), 15000ms)) << app.output().toStdString();

    const QStringList errors = app.errorLines();
    ASSERT_EQ(errors.size(), 1) << errors.join(QLatin1Char('\n')).toStdString();
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^clock: [1-9]\\d* frames in (\\d+\\.\\d) s .*, render scale 1\\.00$")).match(errors[0]);
    ASSERT_TRUE(line.hasMatch()) << errors[0].toStdString();
    // Give or take a busy machine's timer.
    EXPECT_GE(line.captured(1).toDouble(), 4.7);
    EXPECT_LE(line.captured(1).toDouble(), 8.0);
}

TEST(StarlumeWithoutDisplayTest, SaysSoInOneLine)
{
    QProcess app;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    app.setProcessEnvironment(environment);
    app.start(QStringLiteral(STARLUME_BINARY), {});
    ASSERT_TRUE(app.waitForFinished(3000));
    EXPECT_EQ(app.exitCode(), 1);
    const QStringList lines = QString::fromUtf8(app.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("DISPLAY")));
    EXPECT_TRUE(app.readAllStandardOutput().isEmpty());
}

TEST_F(StarlumeAppTest, MediaControlsTheRemoteTheKeyboardAndTheMenuAllReachOneInstance)
{
    start();
    StarlumeApp app(*session);
    const std::uint32_t window = launch(app);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(app.waitFor(startedLine));
    const auto titleBecomes = [&](const QString& wanted) {
        return eventually([&] { return playerctl({"metadata", "xesam:title"}) == wanted; });
    };

    // A desktop's media controls.
    EXPECT_EQ(playerctl({"status"}), QStringLiteral("Playing"));
    playerctl({"pause"});
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));

    // A second launch hands its options over and leaves at once; a bad command
    // line is refused with one line naming it (exit 2), and nothing of it is applied.
    const Ran bad = remote({"--play", "--bogus"});
    EXPECT_EQ(bad.exitCode, 2);
    ASSERT_EQ(bad.errorLines.size(), 1) << bad.errorLines.join('\n').toStdString();
    EXPECT_TRUE(bad.errorLines[0].contains(QStringLiteral("--bogus"))) << bad.errorLines[0].toStdString();
    QThread::msleep(300);
    EXPECT_EQ(playerctl({"status"}), QStringLiteral("Paused")) << "a bad command line reached the running instance";
    const Ran preset = remote({"--preset", "storm", "--play"});
    EXPECT_EQ(preset.exitCode, 0) << preset.errorLines.join('\n').toStdString();
    EXPECT_LT(preset.milliseconds, 3000);
    EXPECT_TRUE(titleBecomes(QStringLiteral("STORM")));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));

    // The volume of our own stream, both ways, checked at the sound server.
    const auto streamVolume = [&] {
        const QString listing = run(*session, QStringLiteral("pactl"), {"list", "sink-inputs"}).out;
        const auto match = QRegularExpression(QStringLiteral("Volume: \\S+: +\\d+ / +(\\d+)%")).match(listing);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    playerctl({"volume", "0.4"});
    EXPECT_TRUE(eventually([&] { return streamVolume() == 40; })) << streamVolume();
    const QString streams = run(*session, QStringLiteral("pactl"), {"list", "short", "sink-inputs"}).out;
    run(*session, QStringLiteral("pactl"), {"set-sink-input-volume", streams.section(QLatin1Char('\t'), 0, 0), "25%"});
    EXPECT_TRUE(eventually([&] { return playerctl({"volume"}).left(4) == QStringLiteral("0.25"); }));

    // Space in the main window, and the context menu by mouse and by the Menu key.
    focus(window);
    sendKeys(QStringLiteral("space"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused"))) << "Space did not pause";
    sendKeys(QStringLiteral("space"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing"))) << "Space did not play";
    run(*session, QStringLiteral("xdotool"), {"mousemove", "--window", QString::number(window), "120", "120", "click", "3"});
    QThread::msleep(500);
    sendKeys(QStringLiteral("Down"));
    sendKeys(QStringLiteral("Return"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused"))) << "the context menu's first entry did not pause";
    // Opened from the keyboard, the first entry is current (with the pointer
    // away from the menu, which would make the entry under it current).
    run(*session, QStringLiteral("xdotool"), {"mousemove", "--window", QString::number(window), "2", "2"});
    sendKeys(QStringLiteral("Menu"));
    QThread::msleep(500);
    sendKeys(QStringLiteral("Return"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing"))) << "the Menu key's menu did not play";

    run(*session, QStringLiteral("gdbus"), {"call", "--session", "--dest", "org.mpris.MediaPlayer2.starlume", "--object-path",
                                            "/org/mpris/MediaPlayer2", "--method", "org.mpris.MediaPlayer2.Quit"});
    EXPECT_TRUE(app.exitsCleanly()) << "MPRIS Quit did not end the program";
}

TEST_F(StarlumeAppTest, WithoutAnInstanceTheRemoteStartsStarlumeWithItsOptions)
{
    start();
    const Ran version = remote({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Starlume \\d+\\.\\d+\\.\\d+$")).match(version.out).hasMatch())
        << version.out.toStdString();
    const Ran quit = remote({"--quit"});
    EXPECT_EQ(quit.exitCode, 0);
    EXPECT_FALSE(quit.out.contains(startedLine)) << "--quit with nothing running started the sound";

    StarlumeApp app(*session, StarlumeApp::Size::small, {"--pause", "--preset", "Drift"});
    ASSERT_NE(launch(app), 0u);
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));
    EXPECT_EQ(playerctl({"metadata", "xesam:title"}), QStringLiteral("DRIFT"));

    EXPECT_EQ(remote({"--quit"}).exitCode, 0);
    EXPECT_TRUE(app.exitsCleanly()) << "--quit did not reach the running instance";
}

// Needs the engine's sleep timer to run out and pause.
TEST_F(StarlumeAppTest, TheSleepTimerPausesAndLetsTheDisplaySleep)
{
    start();
    OnItsOwnThread<FakeScreenSaver> screenSaver(session->busAddress());
    ASSERT_TRUE(screenSaver.registered());
    // 0.05 minutes: fades out over 3 s and pauses. The inhibition may already
    // be over by the time a loaded machine lets the test look, so its history counts.
    StarlumeApp app(*session, StarlumeApp::Size::small, {"--fullscreen", "--sleep", "0.05"});
    ASSERT_NE(launch(app), 0u);
    ASSERT_TRUE(eventually([&] { return !screenSaver.calls().empty(); }, 6000ms)) << "full screen did not keep the display awake";

    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused"), 12000ms)) << "the sleep timer did not pause";
    EXPECT_TRUE(eventually([&] { return screenSaver.activeCount() == 0; })) << "the display was kept awake after the sleep timer";
    EXPECT_EQ(app.process().state(), QProcess::Running) << "the sleep timer quit instead of pausing";

    playerctl({"play"});
    EXPECT_TRUE(eventually([&] { return screenSaver.activeCount() == 1; })) << "playing again in full screen did not inhibit";
}

// The same program under a headless Wayland compositor. Weston's headless
// backend takes no input from outside (Debian ships no test plugin that could
// inject keys), so the remote stands in for the keyboard shortcuts; it calls
// the same actions F11, Ctrl+M and Ctrl+Q do. Full screen shows on the bus, as
// the inhibition that follows it, here through the desktop portal.
TEST(StarlumeOnWaylandTest, ChoosesWaylandByItselfAndFollowsTheRemoteToTheEnd)
{
    DesktopSession session(DesktopSession::Options{.bus = true, .sound = true, .wayland = true});
    ASSERT_TRUE(session.problem().isEmpty()) << session.problem().toStdString();
    ASSERT_FALSE(session.environment().contains(QStringLiteral("DISPLAY")));
    ASSERT_FALSE(session.environment().contains(QStringLiteral("QT_QPA_PLATFORM")));
    // The screensaver is there too, and must not be asked.
    OnItsOwnThread<FakeScreenSaver> screenSaver(session.busAddress());
    OnItsOwnThread<FakeDesktopPortal> portal(session.busAddress());
    ASSERT_TRUE(screenSaver.registered() && portal.registered());
    const auto remote = [&](const char* option) { return run(session, QStringLiteral(STARLUME_BINARY), {option}).exitCode; };

    StarlumeApp app(session);
    ASSERT_TRUE(app.waitFor(firstFrame, 15000ms)) << app.output().toStdString();
    ASSERT_TRUE(app.waitFor(startedLine));

    // A plain second launch hands over (raising the window) and leaves.
    StarlumeApp second(session);
    EXPECT_TRUE(second.exitsCleanly()) << "the second launch kept running";
    EXPECT_FALSE(second.output().contains(startedLine)) << "a second engine started";

    EXPECT_EQ(remote("--fullscreen"), 0);
    EXPECT_TRUE(eventually([&] { return portal.activeCount() == 1; }, 5000ms)) << "full screen did not begin";
    EXPECT_EQ(remote("--mixer"), 0);
    EXPECT_EQ(remote("--mixer"), 0);
    EXPECT_EQ(remote("--fullscreen"), 0);
    EXPECT_TRUE(eventually([&] { return portal.activeCount() == 0; }, 5000ms)) << "full screen did not end";
    EXPECT_TRUE(screenSaver.calls().empty());

    EXPECT_EQ(remote("--quit"), 0);
    EXPECT_TRUE(app.exitsCleanly()) << "--quit did not end it";
    EXPECT_TRUE(app.errorLines().isEmpty()) << app.errorLines().join(QLatin1Char('\n')).toStdString();
}

} // namespace
