#pragma once

#include "pulse/PulseConnection.h"
#include "pulse/PulseMainLoop.h"

#include <QObject>
#include <QPointer>

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

#include <cstdint>
#include <optional>

class StreamVolume;

// Carries StreamVolume to this process's playback stream on the sound server
// (its sink input) and brings back changes made there by the desktop's mixer.
// A connection of its own, so the output stream never waits on it; writes
// queue a request and never wait for the answer.
class PulseStreamVolume : public QObject {
    Q_OBJECT
public:
    explicit PulseStreamVolume(StreamVolume& model, QObject* parent = nullptr);
    ~PulseStreamVolume() override;

private:
    static constexpr std::chrono::milliseconds reconnectDelay{1000};

    // Loop thread, lock held.
    void onContextState(pa_context_state_t state);
    void onSinkInputEvent(pa_subscription_event_type_t type, std::uint32_t index);
    void onSinkInput(const pa_sink_input_info& info);
    void applyLocked(double volume);

    // Main thread.
    void apply(double volume);

    QPointer<StreamVolume> m_model;
    PulseMainLoop m_loop;
    PulseConnection m_connection{m_loop, PulseConnection::Role::control, reconnectDelay};
    std::optional<std::uint32_t> m_streamIndex;
    std::uint8_t m_channels = 2;
    // A volume asked for before the stream was seen.
    std::optional<double> m_pending;
    double m_lastWritten = -1.0;
};
