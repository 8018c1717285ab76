#include "support/PulseServer.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <cstdlib>

namespace slm::test {

namespace {

std::optional<QByteArray> currentValue(const char* name)
{
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    return qgetenv(name);
}

void restoreValue(const char* name, const std::optional<QByteArray>& value)
{
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

} // namespace

const char* kindName(PulseServer::Kind kind)
{
    return kind == PulseServer::Kind::pipewire ? "PipeWire" : "PulseAudio";
}

PulseServer::PulseServer(std::vector<Sink> sinks, Kind kind)
    : m_sinks(std::move(sinks))
    , m_kind(kind)
{
}

PulseServer::~PulseServer()
{
    kill();
}

QString PulseServer::serverString() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

bool PulseServer::start()
{
    if (m_process)
        return true;
    return m_kind == Kind::pipewire ? startPipeWire() : startPulseAudio();
}

std::unique_ptr<QProcess> PulseServer::launch(const QString& program, const QStringList& arguments,
                                              const QProcessEnvironment& env)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    process->start(program, arguments);
    if (!process->waitForStarted(3000))
        return nullptr;
    return process;
}

bool PulseServer::waitUntilAnswering()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (pactl({QStringLiteral("info")}).exitCode == 0)
            return true;
        if (m_process->state() == QProcess::NotRunning)
            return false;
        QThread::msleep(30);
    }
    return false;
}

bool PulseServer::startPulseAudio()
{
    QStringList arguments{
        QStringLiteral("-n"),
        QStringLiteral("--daemonize=no"),
        QStringLiteral("--exit-idle-time=-1"),
        QStringLiteral("--use-pid-file=no"),
        QStringLiteral("--disable-shm=yes"),
        QStringLiteral("--load=module-native-protocol-unix socket=%1 auth-anonymous=1")
            .arg(m_dir.filePath(QStringLiteral("native"))),
    };
    for (const Sink& sink : m_sinks) {
        QString load = QStringLiteral("--load=module-null-sink sink_name=%1 rate=%2 channels=%3 format=float32le")
                           .arg(sink.name)
                           .arg(sink.rate)
                           .arg(sink.channels);
        if (!sink.channelMap.isEmpty())
            load += QStringLiteral(" channel_map=") + sink.channelMap;
        if (!sink.description.isEmpty())
            load += QStringLiteral(" sink_properties=device.description=") + sink.description;
        arguments << load;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_dir.filePath(QStringLiteral("home"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.path());
    env.insert(QStringLiteral("PULSE_STATE_PATH"), m_dir.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.remove(QStringLiteral("PULSE_SERVER"));
    // On a session bus a second server would find the name it wants taken
    // and refuse to run; without one and without a display it asks no bus.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("DISPLAY"));

    m_process = launch(QStringLiteral("pulseaudio"), arguments, env);
    if (!m_process)
        return false;
    if (waitUntilAnswering())
        return true;
    kill();
    qWarning("pulseaudio did not start:\n%s", qPrintable(log()));
    return false;
}

void PulseServer::writePipeWireConfig()
{
    const QString config = m_dir.filePath(QStringLiteral("config"));
    QDir().mkpath(config + QStringLiteral("/pipewire"));
    QDir().mkpath(config + QStringLiteral("/wireplumber/main.lua.d"));
    QDir().mkpath(config + QStringLiteral("/wireplumber/bluetooth.lua.d"));
    auto write = [&](const QString& path, const QByteArray& text) {
        QFile file(config + path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
    };
    // Ours replaces the packaged file: no always-sink to compete with the
    // null sinks for the default, and the socket where the tests look.
    write(QStringLiteral("/pipewire/pipewire-pulse.conf"), QStringLiteral(R"(
context.spa-libs = {
    audio.convert.* = audioconvert/libspa-audioconvert
    support.*       = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-rt args = { nice.level = -11 } flags = [ ifexists nofail ] }
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-protocol-pulse args = { } }
]
pulse.properties = {
    server.address = [ "unix:%1" ]
    vm.overrides = { pulse.min.quantum = 1024/48000 }
}
)").arg(m_dir.filePath(QStringLiteral("native"))).toUtf8());
    // Null sinks only: the machine's own sound cards, cameras and Bluetooth
    // stay out of the test's graph.
    write(QStringLiteral("/wireplumber/main.lua.d/51-test-no-devices.lua"),
          "alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\nlibcamera_monitor.enabled = false\n");
    write(QStringLiteral("/wireplumber/bluetooth.lua.d/51-test-no-devices.lua"), "bluez_monitor.enabled = false\n");
}

bool PulseServer::startPipeWire()
{
    writePipeWireConfig();
    const QString run = m_dir.filePath(QStringLiteral("run"));
    QDir().mkpath(run);
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString bus = m_dir.filePath(QStringLiteral("bus"));
    // A killed server leaves its sockets behind; waiting for them to appear
    // only means something once they are gone.
    QFile::remove(bus);
    QFile::remove(run + QStringLiteral("/pipewire-0"));
    QFile::remove(m_dir.filePath(QStringLiteral("native")));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_dir.filePath(QStringLiteral("home"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_dir.filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
    env.insert(QStringLiteral("PIPEWIRE_RUNTIME_DIR"), run);
    // WirePlumber will not run without a session bus; this one is private.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
    for (const char* name : {"PULSE_SERVER", "PIPEWIRE_REMOTE", "DISPLAY", "WAYLAND_DISPLAY", "PIPEWIRE_CONFIG_DIR"})
        env.remove(QString::fromLatin1(name));

    auto fail = [&](const char* what) {
        kill();
        qWarning("%s did not start:\n%s", what, qPrintable(log()));
        return false;
    };
    auto waitForFile = [](const QString& path) {
        for (int attempt = 0; attempt < 100 && !QFile::exists(path); ++attempt)
            QThread::msleep(20);
        return QFile::exists(path);
    };

    auto daemon = launch(QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                          QStringLiteral("--address=unix:path=") + bus},
                         env);
    if (!daemon)
        return fail("dbus-daemon");
    m_helpers.push_back(std::move(daemon));
    if (!waitForFile(bus))
        return fail("dbus-daemon");

    auto pipewire = launch(QStringLiteral("pipewire"), {}, env);
    if (!pipewire)
        return fail("pipewire");
    m_helpers.push_back(std::move(pipewire));
    // Its clients give up at once on a socket that is not there yet.
    if (!waitForFile(run + QStringLiteral("/pipewire-0")))
        return fail("pipewire");

    auto wireplumber = launch(QStringLiteral("wireplumber"), {}, env);
    if (!wireplumber)
        return fail("wireplumber");
    m_helpers.push_back(std::move(wireplumber));

    m_process = launch(QStringLiteral("pipewire-pulse"), {}, env);
    if (!m_process || !waitUntilAnswering())
        return fail("pipewire-pulse");

    for (const Sink& sink : m_sinks) {
        QStringList load{QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                         QStringLiteral("sink_name=") + sink.name, QStringLiteral("rate=%1").arg(sink.rate),
                         QStringLiteral("channels=%1").arg(sink.channels), QStringLiteral("format=float32le")};
        if (!sink.channelMap.isEmpty())
            load << QStringLiteral("channel_map=") + sink.channelMap;
        if (!sink.description.isEmpty())
            load << QStringLiteral("sink_properties=device.description=") + sink.description;
        if (pactl(load).exitCode != 0)
            return fail("a null sink");
    }
    if (m_sinks.empty())
        return true;
    // WirePlumber picks the default on its own time; the first sink is the
    // default here as it is under PulseAudio.
    const QString first = m_sinks.front().name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        pactl({QStringLiteral("set-default-sink"), first});
        if (pactl({QStringLiteral("get-default-sink")}).output.trimmed() == first)
            return true;
        QThread::msleep(30);
    }
    return fail("the default sink");
}

void PulseServer::kill()
{
    thaw();
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(3000);
        m_process.reset();
    }
    while (!m_helpers.empty()) {
        m_helpers.back()->kill();
        m_helpers.back()->waitForFinished(3000);
        m_helpers.pop_back();
    }
}

void PulseServer::freeze()
{
    if (m_process && !m_frozen) {
        ::kill(static_cast<pid_t>(m_process->processId()), SIGSTOP);
        m_frozen = true;
    }
}

void PulseServer::thaw()
{
    if (m_process && m_frozen) {
        ::kill(static_cast<pid_t>(m_process->processId()), SIGCONT);
        m_frozen = false;
    }
}

PulseServer::Result PulseServer::pactl(const QStringList& arguments) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), serverString());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

std::vector<unsigned> PulseServer::sinkVolumes(const QString& sink) const
{
    // "Volume: front-left: 19661 /  30% / ..., front-right: ..."
    const QString text = pactl({QStringLiteral("get-sink-volume"), sink}).output;
    std::vector<unsigned> volumes;
    static const QRegularExpression raw(QStringLiteral(":\\s*(\\d+)\\s*/"));
    for (auto it = raw.globalMatch(text); it.hasNext();)
        volumes.push_back(it.next().captured(1).toUInt());
    return volumes;
}

QString PulseServer::log() const
{
    QFile file(m_dir.filePath(QStringLiteral("log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

PulseEnvironment::PulseEnvironment(const QString& serverString)
    : m_previousServer(currentValue("PULSE_SERVER"))
    , m_previousConfig(currentValue("PULSE_CLIENTCONFIG"))
{
    const QString config = m_dir.filePath(QStringLiteral("client.conf"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write("autospawn = no\n");
    qputenv("PULSE_SERVER", serverString.toUtf8());
    qputenv("PULSE_CLIENTCONFIG", config.toUtf8());
}

PulseEnvironment::~PulseEnvironment()
{
    restoreValue("PULSE_SERVER", m_previousServer);
    restoreValue("PULSE_CLIENTCONFIG", m_previousConfig);
}

QString PulseEnvironment::nowhere()
{
    return QStringLiteral("unix:/nonexistent/starlume-test/native");
}

} // namespace slm::test
