#include "engine/SLMAudioEngine.h"

#include "engine/RenderCycle.h"
#include "engine/SLMSleepTimer.h"

#include <QDateTime>
#include <QSocketNotifier>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

// What the render callback holds instead of the engine: teardown clears
// `cycle` and then waits out a render that already got hold of it, so the
// callback never reaches a destroyed engine, whatever the output does.
struct SLMAudioEngine::RenderLink {
    std::atomic<RenderCycle*> cycle{nullptr};
    std::atomic<int> inFlight{0};
};

namespace {

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
          RenderCycle::Sources{*m_parameters, *m_systemOutput, m_wallClockSecond, m_isFrozen},
          RenderCycle::Sinks{m_meterHandoff, *m_spectrum}))
    , m_link(std::make_shared<RenderLink>())
{
    if (m_meterHandoff.wakeupDescriptor() >= 0) {
        m_meterNotifier = new QSocketNotifier(m_meterHandoff.wakeupDescriptor(), QSocketNotifier::Read, this);
        connect(m_meterNotifier, &QSocketNotifier::activated, this, [this] { deliverPendingMeterUpdates(); });
    }
    start();
}

SLMAudioEngine::~SLMAudioEngine()
{
    if (m_output)
        m_output->stop();
    m_link->cycle.store(nullptr);
    while (m_link->inFlight.load() != 0)
        std::this_thread::yield();
}

void SLMAudioEngine::start()
{
    if (!m_output) {
        report("SLM Audio Engine: invalid output sample rate.");
        return;
    }
    const AudioDeviceFormat format = m_output->deviceFormat();
    const double rate = format.sampleRate;
    // An infinite rate is no more usable than a missing one.
    if (!(rate > 0.0) || !std::isfinite(rate)) {
        report("SLM Audio Engine: invalid output sample rate.");
        return;
    }
    const std::uint32_t channels = std::max<std::uint32_t>(format.channelCount, 2);
    m_cycle->armStartup(rate);
    if (!m_output->createStream(rate, channels)) {
        report("SLM Audio Engine: could not create source format.");
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
        report("SLM Audio Engine failed to start: " + error);
        return;
    }
    m_running = true;
    m_outputState = OutputState::live;
    report("SLM Audio Engine started — FREEZE + aggressive MUTE/SOLO online.");
}

void SLMAudioEngine::setIsFrozen(bool frozen)
{
    emit objectWillChange();
    m_isFrozen.store(frozen, std::memory_order_relaxed);
    emit isFrozenChanged();
}

void SLMAudioEngine::play()
{
    emit objectWillChange();
    m_isPlaying = true;
    emit isPlayingChanged();
}

void SLMAudioEngine::pause() { pause(pauseFadeSeconds); }

void SLMAudioEngine::pause(double fadeSeconds)
{
    Q_UNUSED(fadeSeconds);
    emit objectWillChange();
    m_isPlaying = false;
    emit isPlayingChanged();
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
