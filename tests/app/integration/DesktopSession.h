#pragma once

#include "../PrivateSessionBus.h"
#include "support/PulseServer.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>

// A private desktop for one test: its own X server (or Wayland compositor), session bus and sound
// server (a 48 kHz stereo null sink), and a scratch home. Nothing the test
// does can reach the user's desktop or another test's.
class DesktopSession {
public:
    struct Options {
        bool bus = true;
        bool sound = true;
        // A headless Wayland compositor (weston) instead of an X server, and
        // no DISPLAY, so the program can only reach the desktop through Wayland.
        bool wayland = false;
    };

    DesktopSession() : DesktopSession(Options{}) {}
    explicit DesktopSession(Options options);
    ~DesktopSession();

    // Empty when everything came up; otherwise what did not.
    QString problem() const { return m_problem; }
    QString display() const { return m_display; }
    QString busAddress() const { return m_bus ? m_bus->address() : QString(); }
    // The environment a program started in this session gets.
    QProcessEnvironment environment() const { return m_environment; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    bool startX();
    bool startWeston();

    QTemporaryDir m_dir;
    QProcess m_x;
    QProcess m_weston;
    std::optional<PrivateSessionBus> m_bus;
    std::optional<slm::test::PulseServer> m_sound;
    QString m_display;
    QString m_waylandDisplay;
    QProcessEnvironment m_environment;
    QString m_problem;
};

// Reads a child's output line by line as it comes.
class OutputWatcher {
public:
    explicit OutputWatcher(QProcess& process) : m_process(process) {}
    // Waits for a line of stdout or stderr containing `text`.
    bool waitFor(const QString& text, std::chrono::milliseconds timeout);
    QString all();
    QString errors();

private:
    void collect();

    QProcess& m_process;
    QString m_out;
    QString m_err;
};
