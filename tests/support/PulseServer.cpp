#include "support/PulseServer.h"

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

PulseServer::PulseServer(std::vector<Sink> sinks)
    : m_sinks(std::move(sinks))
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

    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_dir.filePath(QStringLiteral("log")), QIODevice::Append);
    m_process->start(QStringLiteral("pulseaudio"), arguments);
    if (!m_process->waitForStarted(3000)) {
        m_process.reset();
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (pactl({QStringLiteral("info")}).exitCode == 0)
            return true;
        if (m_process->state() == QProcess::NotRunning)
            break;
        QThread::msleep(30);
    }
    kill();
    qWarning("pulseaudio did not start:\n%s", qPrintable(log()));
    return false;
}

void PulseServer::kill()
{
    if (!m_process)
        return;
    thaw();
    m_process->kill();
    m_process->waitForFinished(3000);
    m_process.reset();
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
