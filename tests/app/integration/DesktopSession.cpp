#include "DesktopSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

namespace {

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
        m_bus.emplace();
        if (!m_bus->isRunning()) {
            m_problem = QStringLiteral("dbus-daemon did not start");
            return;
        }
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus->address());
    } else {
        // Somewhere no bus answers, so that nothing autolaunches one.
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + path("no-bus"));
    }
    if (options.sound) {
        m_sound.emplace(std::vector<slm::test::PulseServer::Sink>{{QStringLiteral("starlume_null")}});
        if (!m_sound->start()) {
            m_problem = QStringLiteral("pulseaudio did not start: ") + m_sound->log();
            return;
        }
        m_environment.insert(QStringLiteral("PULSE_SERVER"), m_sound->serverString());
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
    m_sound.reset();
    m_bus.reset();
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
