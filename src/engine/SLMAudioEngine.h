#pragma once

#include "analysis/SLMAudioMeters.h"
#include "analysis/SLMAudioSpectrum.h"
#include "control/OutputDeviceControl.h"
#include "control/SLMAudioParameters.h"
#include "control/SLMSystemOutputVolume.h"
#include "engine/AudioOutput.h"
#include "engine/MeterHandoff.h"
#include "engine/SynthesisState.h"
#include "engine/TransportFade.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QDateTime;
class QSocketNotifier;
class QTimer;
class RenderCycle;
class SLMSleepTimer;
Q_MOC_INCLUDE("engine/SLMSleepTimer.h")

// The one object that makes sound. It owns the listener's parameters, the
// system output volume, the meters and the spectrum, and the synthesis state
// that the render callback advances. Its constructor starts the output at
// once; there is no separate start or stop. Main-thread object.
class SLMAudioEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(SLMAudioParameters* parameters READ parameters CONSTANT)
    Q_PROPERTY(SLMSystemOutputVolume* systemOutput READ systemOutput CONSTANT)
    Q_PROPERTY(SLMAudioMeters* meters READ meters CONSTANT)
    Q_PROPERTY(SLMAudioSpectrum* spectrum READ spectrum CONSTANT)
    Q_PROPERTY(bool isFrozen READ isFrozen WRITE setIsFrozen NOTIFY isFrozenChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(OutputState outputState READ outputState NOTIFY outputStateChanged)
    Q_PROPERTY(SLMSleepTimer* sleepTimer READ sleepTimer CONSTANT)

public:
    // Whether the sound reaches a sound server.
    enum class OutputState {
        live,             // playing, or paused with the stream corked
        waitingForServer, // no server yet or lost; retrying in the background
        unavailable,      // the output refused for good (no usable format)
    };
    Q_ENUM(OutputState)

    static constexpr double pauseFadeSeconds = 0.5;
    static constexpr double playFadeSeconds = 2.0;

    SLMAudioEngine(std::unique_ptr<AudioOutput> output, std::unique_ptr<OutputDeviceControl> deviceControl,
                   QObject* parent = nullptr);
    // Stops the output first; a render still in flight, or any later one,
    // finds the engine gone and returns without touching its buffers.
    ~SLMAudioEngine() override;

    SLMAudioParameters* parameters() const { return m_parameters; }
    SLMSystemOutputVolume* systemOutput() const { return m_systemOutput; }
    SLMAudioMeters* meters() const { return m_meters; }
    SLMAudioSpectrum* spectrum() const { return m_spectrum; }

    bool isFrozen() const { return m_isFrozen.load(std::memory_order_relaxed); }
    void setIsFrozen(bool frozen);

    // The transport. Starts playing. Pausing fades out over `pauseFadeSeconds`
    // (or the given time) and then corks the output; playing uncorks and fades
    // in over `playFadeSeconds`. A change during a fade reverses it from where
    // it is. The evolution follows the wall clock either way.
    bool isPlaying() const { return m_isPlaying; }
    Q_INVOKABLE void play();
    Q_INVOKABLE void pause();
    Q_INVOKABLE void togglePlayPause();
    void pause(double fadeSeconds);

    OutputState outputState() const { return m_outputState; }
    SLMSleepTimer* sleepTimer() const { return m_sleepTimer; }

    // The time of day, in local time, for the half-minute chime.
    Q_INVOKABLE void updateWallClock(const QDateTime& date);
    // The same from its parts: second of the minute with its fraction, and the minute.
    void setWallClock(double secondOfMinute, int minute);
    double wallClockSecond() const { return m_wallClockSecond.load(std::memory_order_relaxed); }
    int wallClockMinute() const { return m_wallClockMinute; }

    // Whether the output started and the engine is rendering.
    bool isRunning() const { return m_running; }
    // Whether the engine has corked the output for a pause.
    bool isOutputCorked() const { return m_corked; }

    // Hands every pending meter update to the meters now, oldest first, and
    // calls afterEach once after each. The main loop does this by itself; the
    // offline tool calls it after each block. Returns how many there were.
    int deliverPendingMeterUpdates(const std::function<void()>& afterEach = {});

    // The synthesis state as the render left it. Read it only while no render
    // can run (offline, between pulls): it is the render thread's own.
    const SynthesisState& synthesisState() const;
    // The render's chunk kernel ("sse2", "avx2"), chosen at construction.
    const char* simdPath() const;

signals:
    // Fires before isFrozen is stored.
    void objectWillChange();
    void isFrozenChanged();
    void isPlayingChanged();
    void outputStateChanged();

private:
    struct RenderLink;
    friend class SLMSleepTimer;

    void start();
    // The sleep timer's fade: the sound goes down over `seconds` while the
    // transport still counts as playing; the output stays uncorked.
    void fadeOutKeepingPlay(double seconds);
    void sendTransport(bool playing, double fadeSeconds);
    void setCorked(bool corked);
    void setOutputState(OutputState state);
    void onRenderWakeup();
    // A pause whose fade the render has finished, not yet corked.
    bool faded() const;
    void onOutputReport(std::uint64_t serial, bool reachesServer);
    void startRest();
    void restTick();

    SLMAudioParameters* m_parameters;
    SLMSystemOutputVolume* m_systemOutput;
    SLMAudioMeters* m_meters;
    SLMAudioSpectrum* m_spectrum;
    SLMSleepTimer* m_sleepTimer;

    std::atomic<bool> m_isFrozen{false};
    std::atomic<double> m_wallClockSecond{0.0};
    int m_wallClockMinute = 0;

    std::unique_ptr<AudioOutput> m_output;
    MeterHandoff m_meterHandoff;
    std::unique_ptr<RenderCycle> m_cycle;
    std::shared_ptr<RenderLink> m_link;
    QSocketNotifier* m_meterNotifier = nullptr;
    bool m_running = false;
    bool m_isPlaying = true;
    OutputState m_outputState = OutputState::unavailable;

    // The transport: the main thread's request, read by the render once per
    // block, and the request whose pause the render has faded to silence.
    std::atomic<slm::synth::TransportTarget> m_transport{slm::synth::TransportTarget{}};
    slm::synth::TransportTarget m_transportTarget;
    std::atomic<std::uint32_t> m_silentCommand{0};
    bool m_corked = false;

    double m_rate = 0.0;
    bool m_startupReported = false;
    bool m_startPending = false;
    // The newest report of the output (whether it reaches a server), by serial.
    std::uint64_t m_appliedReport = 0;
    bool m_outputReaches = false;
    bool m_outputRetries = false;

    // While nothing renders, silence is fed to the meters and the analyser
    // at the render's pace so that they fall to rest.
    QTimer* m_corkTimer = nullptr;
    QTimer* m_restTimer = nullptr;
    double m_restSpectrumDue = 0.0;
    int m_restTicks = 0;
};
