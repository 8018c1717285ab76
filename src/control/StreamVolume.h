#pragma once

#include <QObject>

#include <functional>

// The loudness of Starlume's own stream on the sound server, 0...1: what the
// desktop's per-application slider and MPRIS clients show, apart from the
// output device's volume. Main-thread model. A sink, when set, carries each
// change to the server; changes made elsewhere come back through
// takeServerVolume() without being written back.
class StreamVolume : public QObject {
    Q_OBJECT
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)

public:
    using Sink = std::function<void(double)>;

    explicit StreamVolume(QObject* parent = nullptr) : QObject(parent) {}

    double volume() const { return m_volume; }
    // Clamped to 0...1; a value that is not a number changes nothing.
    void setVolume(double volume);
    void takeServerVolume(double volume);
    void setSink(Sink sink) { m_sink = std::move(sink); }

signals:
    void objectWillChange();
    void volumeChanged();

private:
    bool store(double volume);

    double m_volume = 1.0;
    Sink m_sink;
};
