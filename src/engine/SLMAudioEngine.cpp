#include "engine/SLMAudioEngine.h"

#include "engine/RenderCycle.h"
#include "engine/SLMSleepTimer.h"

#include <QDateTime>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

// What the render callback holds instead of the engine: teardown clears
// `cycle` and then waits out a render that already got hold of it, so the
// callback never reaches a destroyed engine, whatever the output does.
// The output's state reports come through `engine` the same way, numbered
// so that a report overtaken by a newer one is ignored.
struct SLMAudioEngine::RenderLink {
    std::atomic<RenderCycle*> cycle{nullptr};
    std::atomic<int> inFlight{0};
    std::atomic<SLMAudioEngine*> engine{nullptr};
    std::atomic<std::uint64_t> reports{0};
    std::thread::id mainThread = std::this_thread::get_id();
};

namespace {

using slm::synth::TransportTarget;

constexpr auto restInterval = std::chrono::milliseconds(33);
// More than the output's latency (about 35 ms on a sound server).
constexpr auto corkDelay = std::chrono::milliseconds(100);
// Long enough for the slowest fall (the held peaks, 0.55 dB an update from 0 dB).
constexpr int restTickLimit = 20 * 30;

bool metersAtRest(const SLMAudioMeters& m)
{
    const double values[] = {m.reactorDB(), m.fieldDB(), m.waveDB(), m.anomalyDB(), m.glowwormDB(),
                             m.masterLeftDB(), m.masterRightDB(), m.reactorPeakDB(), m.fieldPeakDB(),
                             m.wavePeakDB(), m.anomalyPeakDB(), m.glowwormPeakDB(), m.masterLeftPeakDB(),
                             m.masterRightPeakDB()};
    return std::all_of(std::begin(values), std::end(values),
                       [](double v) { return !(v > SLMAudioMeters::floorDB + 0.01); });
}

bool spectrumAtRest(const SLMAudioSpectrum& s)
{
    const QList<double> bands = s.bands();
    return std::all_of(bands.begin(), bands.end(), [](double v) { return !(v > SLMAudioSpectrum::floorDB + 0.01); });
}

void report(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

SLMAudioEngine::SLMAudioEngine(std::unique_ptr<AudioOutput> output, std::unique_ptr<OutputDeviceControl> deviceControl,
                               QObject* parent)
    : QObject(parent)
    , m_parameters(new SLMAudioParameters(this))
    , m_systemOutput(new SLMSystemOutputVolume(std::move(deviceControl), this))
    , m_meters(new SLMAudioMeters(this))
    , m_spectrum(new SLMAudioSpectrum(this))
    , m_sleepTimer(new SLMSleepTimer(*this, this))
    , m_output(std::move(output))
    , m_cycle(std::make_unique<RenderCycle>(
          RenderCycle::Sources{*m_parameters, *m_systemOutput, m_wallClockSecond, m_isFrozen, m_transport},
          RenderCycle::Sinks{m_meterHandoff, *m_spectrum, m_silentCommand}))
    , m_link(std::make_shared<RenderLink>())
{
    if (m_meterHandoff.wakeupDescriptor() >= 0) {
        m_meterNotifier = new QSocketNotifier(m_meterHandoff.wakeupDescriptor(), QSocketNotifier::Read, this);
        connect(m_meterNotifier, &QSocketNotifier::activated, this, [this] { onRenderWakeup(); });
    }
    m_corkTimer = new QTimer(this);
    m_corkTimer->setSingleShot(true);
    m_corkTimer->setInterval(corkDelay);
    connect(m_corkTimer, &QTimer::timeout, this, [this] {
        if (faded()) {
            setCorked(true);
            startRest();
        }
    });
    m_restTimer = new QTimer(this);
    m_restTimer->setInterval(restInterval);
    connect(m_restTimer, &QTimer::timeout, this, [this] { restTick(); });

    m_link->engine.store(this);
    if (m_output) {
        // Called on any thread, in the order the output's states change;
        // queued reports die with the engine (Qt drops them with their receiver).
        m_output->setStateListener([link = m_link](bool reachesServer) {
            const std::uint64_t serial = link->reports.fetch_add(1) + 1;
            SLMAudioEngine* engine = link->engine.load();
            if (!engine)
                return;
            if (std::this_thread::get_id() == link->mainThread)
                engine->onOutputReport(serial, reachesServer);
            else
                QMetaObject::invokeMethod(
                    engine, [engine, serial, reachesServer] { engine->onOutputReport(serial, reachesServer); },
                    Qt::QueuedConnection);
        });
    }
    start();
    m_startupReported = true;
}

SLMAudioEngine::~SLMAudioEngine()
{
    m_link->engine.store(nullptr);
    if (m_output)
        m_output->stop();
    m_link->cycle.store(nullptr);
    while (m_link->inFlight.load() != 0)
        std::this_thread::yield();
}

// The start-up steps. They run again, on the main thread, whenever an output
// that could not start reports that it reaches a server; only the first
// attempt reports its failure, and the start reports itself when it happens.
void SLMAudioEngine::start()
{
    const auto failed = [this](const std::string& line) {
        if (!m_startupReported)
            report(line);
        // An output that said it lost its server keeps looking for one.
        const bool retrying = m_appliedReport > 0 && !m_outputReaches;
        setOutputState(retrying ? OutputState::waitingForServer : OutputState::unavailable);
    };
    if (!m_output) {
        failed("SLM Audio Engine: invalid output sample rate.");
        return;
    }
    const AudioDeviceFormat format = m_output->deviceFormat();
    const double rate = format.sampleRate;
    // An infinite rate is no more usable than a missing one.
    if (!(rate > 0.0) || !std::isfinite(rate)) {
        failed("SLM Audio Engine: invalid output sample rate.");
        return;
    }
    const std::uint32_t channels = std::max<std::uint32_t>(format.channelCount, 2);
    m_cycle->armStartup(rate);
    if (!m_output->createStream(rate, channels)) {
        failed("SLM Audio Engine: could not create source format.");
        return;
    }
    m_cycle->armEvents(rate);

    m_link->cycle.store(m_cycle.get());
    m_output->setRenderCallback([link = m_link, rate](std::uint32_t frameCount, AudioBufferList buffers) {
        link->inFlight.fetch_add(1);
        if (RenderCycle* cycle = link->cycle.load())
            cycle->render(frameCount, buffers, rate);
        link->inFlight.fetch_sub(1);
    });

    std::string error;
    if (!m_output->start(error)) {
        failed("SLM Audio Engine failed to start: " + error);
        return;
    }
    m_rate = rate;
    m_running = true;
    m_restTimer->stop();
    report("SLM Audio Engine started — FREEZE + aggressive MUTE/SOLO online.");
    setOutputState(OutputState::live);
}

void SLMAudioEngine::setIsFrozen(bool frozen)
{
    emit objectWillChange();
    m_isFrozen.store(frozen, std::memory_order_relaxed);
    emit isFrozenChanged();
}

void SLMAudioEngine::play()
{
    m_sleepTimer->cancel();
    emit objectWillChange();
    m_isPlaying = true;
    emit isPlayingChanged();
    sendTransport(true, playFadeSeconds);
    if (m_outputState == OutputState::live)
        m_restTimer->stop();
    setCorked(false);
}

void SLMAudioEngine::pause() { pause(pauseFadeSeconds); }

void SLMAudioEngine::pause(double fadeSeconds)
{
    emit objectWillChange();
    m_isPlaying = false;
    emit isPlayingChanged();
    // The timer's work is done once the listener has paused.
    m_sleepTimer->cancel();
    if (m_outputState == OutputState::live) {
        // Corked once the render reports the fade finished.
        sendTransport(false, fadeSeconds);
        return;
    }
    // Nothing renders, so there is nothing to fade: a stream that comes
    // later starts corked and silent.
    sendTransport(false, 0.0);
    setCorked(true);
    startRest();
}

void SLMAudioEngine::fadeOutKeepingPlay(double seconds)
{
    if (!m_isPlaying)
        return;
    sendTransport(false, m_outputState == OutputState::live ? seconds : 0.0);
}

void SLMAudioEngine::sendTransport(bool playing, double fadeSeconds)
{
    m_transportTarget = TransportTarget::next(m_transportTarget, playing, fadeSeconds);
    m_transport.store(m_transportTarget, std::memory_order_relaxed);
}

void SLMAudioEngine::setCorked(bool corked)
{
    if (m_corked == corked)
        return;
    m_corked = corked;
    if (m_output)
        m_output->setCorked(corked);
}

void SLMAudioEngine::setOutputState(OutputState state)
{
    if (m_outputState == state)
        return;
    emit objectWillChange();
    m_outputState = state;
    emit outputStateChanged();
}

void SLMAudioEngine::onRenderWakeup()
{
    deliverPendingMeterUpdates();
    // The render runs ahead of the speakers by the output's latency: the
    // cork waits until the end of the fade has been heard.
    if (faded() && !m_corkTimer->isActive())
        m_corkTimer->start();
}

bool SLMAudioEngine::faded() const
{
    return !m_isPlaying && !m_corked && m_silentCommand.load(std::memory_order_acquire) == m_transportTarget.command;
}

void SLMAudioEngine::onOutputReport(std::uint64_t serial, bool reachesServer)
{
    if (serial <= m_appliedReport)
        return;
    m_appliedReport = serial;
    m_outputReaches = reachesServer;
    if (!m_running) {
        if (!reachesServer) {
            setOutputState(OutputState::waitingForServer);
        } else if (!m_startPending) {
            // Not from inside the output's own call.
            m_startPending = true;
            QTimer::singleShot(0, this, [this] {
                m_startPending = false;
                if (!m_running && m_outputReaches)
                    start();
            });
        }
        return;
    }
    setOutputState(reachesServer ? OutputState::live : OutputState::waitingForServer);
    if (reachesServer) {
        if (!m_corked)
            m_restTimer->stop();
        return;
    }
    // A pause fade cannot finish without a render: cork now, so that the
    // stream comes back corked.
    if (!m_isPlaying && !m_corked) {
        sendTransport(false, 0.0);
        setCorked(true);
    }
    startRest();
}

void SLMAudioEngine::startRest()
{
    if (m_restTimer->isActive())
        return;
    m_restTicks = 0;
    m_restSpectrumDue = 0.0;
    m_restTimer->start();
}

void SLMAudioEngine::restTick()
{
    static const std::array<float, SynthesisState::spectrumBlockLength> silence{};
    m_meters->update(0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
    if (m_rate > 0.0) {
        // Silent blocks at the pace the render would hand them over.
        const double blockSeconds = static_cast<double>(silence.size()) / m_rate;
        m_restSpectrumDue += std::chrono::duration<double>(restInterval).count();
        while (m_restSpectrumDue >= blockSeconds) {
            m_spectrum->ingest(silence, m_rate);
            m_restSpectrumDue -= blockSeconds;
        }
    }
    if ((metersAtRest(*m_meters) && spectrumAtRest(*m_spectrum)) || ++m_restTicks > restTickLimit) {
        m_restTimer->stop();
    }
}

void SLMAudioEngine::togglePlayPause()
{
    if (m_isPlaying)
        pause();
    else
        play();
}

void SLMAudioEngine::updateWallClock(const QDateTime& date)
{
    const QTime time = date.toLocalTime().time();
    setWallClock(time.second() + time.msec() / 1000.0, time.minute());
}

void SLMAudioEngine::setWallClock(double secondOfMinute, int minute)
{
    if (std::isfinite(secondOfMinute))
        m_wallClockSecond.store(secondOfMinute, std::memory_order_relaxed);
    m_wallClockMinute = minute;
}

int SLMAudioEngine::deliverPendingMeterUpdates(const std::function<void()>& afterEach)
{
    return m_meterHandoff.drain([&](const MeterPeaks& p) {
        m_meters->update(p.reactor, p.field, p.wave, p.anomaly, p.glowworm, p.masterLeft, p.masterRight);
        if (afterEach)
            afterEach();
    });
}

const SynthesisState& SLMAudioEngine::synthesisState() const { return m_cycle->state(); }

const char* SLMAudioEngine::simdPath() const { return m_cycle->kernel().name; }
