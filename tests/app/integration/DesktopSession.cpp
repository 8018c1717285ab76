#include "DesktopSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

namespace {

bool runsQuietly(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, arguments);
    return p.waitForFinished(2000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(1000);
    }
}

} // namespace

DesktopSession::DesktopSession(Options options)
{
    m_environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "QT_QUICK_BACKEND", "QT_SCALE_FACTOR",
                             "DBUS_SESSION_BUS_ADDRESS", "PULSE_SERVER", "STARLUME_REPORT_FIRST_FRAME",
                             "XDG_SESSION_TYPE", "QT_IM_MODULE"})
        m_environment.remove(QString::fromLatin1(name));
    for (const char* sub : {"home", "config", "data", "cache", "run"}) {
        QDir().mkpath(path(QString::fromLatin1(sub)));
    }
    QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_environment.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    m_environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));

    if (!(options.wayland ? startWeston() : startX()))
        return;
    if (options.bus) {
        if (!startBus())
            return;
    } else {
        // Somewhere no bus answers, so that nothing autolaunches one.
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + path("no-bus"));
    }
    if (options.sound) {
        startSound();
    } else {
        m_environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + path(QStringLiteral("no-pulse")));
    }
    QFile config(path(QStringLiteral("client.conf")));
    if (config.open(QIODevice::WriteOnly))
        config.write("autospawn = no\n");
    m_environment.insert(QStringLiteral("PULSE_CLIENTCONFIG"), config.fileName());
}

DesktopSession::~DesktopSession()
{
    stop(m_sound);
    stop(m_bus);
    stop(m_x);
    stop(m_weston);
}

bool DesktopSession::startWeston()
{
    m_environment.remove(QStringLiteral("DISPLAY"));
    m_waylandDisplay = QStringLiteral("wayland-starlume");
    m_weston.setProcessEnvironment(m_environment);
    m_weston.setProcessChannelMode(QProcess::MergedChannels);
    m_weston.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + m_waylandDisplay,
                    QStringLiteral("--width=1280"), QStringLiteral("--height=720"), QStringLiteral("--idle-time=0"),
                    QStringLiteral("--no-config")});
    const QString socket = path(QStringLiteral("run/") + m_waylandDisplay);
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(socket) && !deadline.hasExpired() && m_weston.state() != QProcess::NotRunning)
        m_weston.waitForFinished(50);
    if (!QFile::exists(socket)) {
        m_problem = QStringLiteral("weston did not start: ") + QString::fromLocal8Bit(m_weston.readAll());
        return false;
    }
    m_environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandDisplay);
    // What a Wayland login sets; with it Qt picks its Wayland platform by itself.
    m_environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    // A headless weston has a seat without input devices, and Qt 6.4's Wayland
    // input context dereferences the missing device when the first Text item
    // completes. Desktops always have a keyboard, so only this session needs
    // another input context.
    m_environment.insert(QStringLiteral("QT_IM_MODULE"), QStringLiteral("compose"));
    return true;
}

bool DesktopSession::startX()
{
    m_x.setProcessEnvironment(m_environment);
    m_x.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                       QStringLiteral("0"), QStringLiteral("1920x1080x24"),
                                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QDeadlineTimer deadline(5000);
    while (!m_x.canReadLine() && !deadline.hasExpired())
        m_x.waitForReadyRead(100);
    const QString number = QString::fromLatin1(m_x.readLine()).trimmed();
    if (number.isEmpty()) {
        m_problem = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_x.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + number;
    m_environment.insert(QStringLiteral("DISPLAY"), m_display);
    return true;
}

bool DesktopSession::startBus()
{
    m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QDeadlineTimer deadline(5000);
    while (!m_bus.canReadLine() && !deadline.hasExpired())
        m_bus.waitForReadyRead(100);
    m_busAddress = QString::fromLatin1(m_bus.readLine()).trimmed();
    if (m_busAddress.isEmpty()) {
        m_problem = QStringLiteral("dbus-daemon did not start");
        return false;
    }
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return true;
}

bool DesktopSession::startSound()
{
    const QString dir = path(QStringLiteral("pulse"));
    QDir().mkpath(dir);
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir);
    environment.insert(QStringLiteral("PULSE_STATE_PATH"), dir);
    m_sound.setProcessEnvironment(environment);
    m_sound.setProcessChannelMode(QProcess::MergedChannels);
    m_sound.start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                   QStringLiteral("--load=module-native-protocol-unix socket=%1/native auth-anonymous=1").arg(dir),
                   QStringLiteral("--load=module-null-sink sink_name=starlume_null rate=48000 channels=2"),
                   QStringLiteral("--load=module-always-sink")});
    m_environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:%1/native").arg(dir));
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        if (runsQuietly(QStringLiteral("pactl"), {QStringLiteral("info")}, m_environment))
            return true;
        QThread::msleep(50);
    }
    m_problem = QStringLiteral("pulseaudio did not start: ") + QString::fromLocal8Bit(m_sound.readAll());
    return false;
}

void OutputWatcher::collect()
{
    m_out += QString::fromUtf8(m_process.readAllStandardOutput());
    m_err += QString::fromUtf8(m_process.readAllStandardError());
}

bool OutputWatcher::waitFor(const QString& text, std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    for (;;) {
        collect();
        if (m_out.contains(text) || m_err.contains(text))
            return true;
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(50);
    }
}

QString OutputWatcher::all()
{
    collect();
    return m_out + m_err;
}

QString OutputWatcher::errors()
{
    collect();
    return m_err;
}
