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

// A PulseAudio server of the test's own: null sinks only, its own socket
// in a temporary directory, no cookie, never the user's server. It can be
// killed, restarted on the same socket, frozen and thawed.
class PulseServer {
public:
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

    explicit PulseServer(std::vector<Sink> sinks);
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
    std::vector<Sink> m_sinks;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    bool m_frozen = false;
};

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
