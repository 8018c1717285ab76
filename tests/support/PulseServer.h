#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace slm::test {

// A sound server of the test's own that speaks the PulseAudio protocol:
// null sinks only, its own socket in a temporary directory, no cookie, never
// the user's server. It can be killed, restarted on the same socket, frozen
// and thawed. Either PulseAudio itself or PipeWire with WirePlumber and
// pipewire-pulse, each with its own runtime directory and session bus.
class PulseServer {
public:
    enum class Kind { pulseaudio, pipewire };
    struct Sink {
        Sink(QString name, int rate = 48000, int channels = 2, QString channelMap = {}, QString description = {})
            : name(std::move(name)), rate(rate), channels(channels), channelMap(std::move(channelMap)),
              description(std::move(description))
        {
        }
        QString name;
        int rate;
        int channels;
        // Empty: the server's default order for the channel count.
        QString channelMap;
        QString description;
    };

    explicit PulseServer(std::vector<Sink> sinks, Kind kind = Kind::pulseaudio);
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // Starts it and waits until it answers; false after a few seconds.
    bool start();
    void kill();
    bool restart() { kill(); return start(); }
    // The sinks of the next start.
    void setSinks(std::vector<Sink> sinks) { m_sinks = std::move(sinks); }
    // SIGSTOP / SIGCONT: the socket stays open but nothing answers.
    void freeze();
    void thaw();

    QString serverString() const;
    Kind kind() const { return m_kind; }

    struct Result {
        int exitCode = -1;
        QString output;
    };
    // Runs pactl against this server.
    Result pactl(const QStringList& arguments) const;
    // Raw volumes of a sink's channels, as pactl reports them.
    std::vector<unsigned> sinkVolumes(const QString& sink) const;
    QString log() const;

private:
    bool startPulseAudio();
    bool startPipeWire();
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& arguments,
                                     const QProcessEnvironment& env);
    bool waitUntilAnswering();
    void writePipeWireConfig();

    std::vector<Sink> m_sinks;
    Kind m_kind;
    QTemporaryDir m_dir;
    // The PulseAudio server, or pipewire-pulse: the process behind the socket.
    std::unique_ptr<QProcess> m_process;
    // PipeWire's session bus, pipewire and wireplumber, in start order.
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    bool m_frozen = false;
};

// The name a parameterised test gets for a server kind.
const char* kindName(PulseServer::Kind kind);

// Points this process's libpulse clients at a server (or at a socket where
// none listens) for its lifetime, then restores the environment.
class PulseEnvironment {
public:
    explicit PulseEnvironment(const QString& serverString);
    explicit PulseEnvironment(const PulseServer& server) : PulseEnvironment(server.serverString()) {}
    ~PulseEnvironment();
    PulseEnvironment(const PulseEnvironment&) = delete;
    PulseEnvironment& operator=(const PulseEnvironment&) = delete;

    // A server string on which nothing listens.
    static QString nowhere();

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_previousServer;
    std::optional<QByteArray> m_previousConfig;
};

} // namespace slm::test
