#include "pulse/PulseDeviceControl.h"
#include "pulse/PulseAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"
#include "support/MonitorRecorder.h"
#include "support/PulseServer.h"
#include "support/SinkKeeper.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using slm::test::MonitorRecorder;
using slm::test::PulseEnvironment;
using slm::test::PulseServer;
using slm::test::SinkKeeper;
using Sink = PulseServer::Sink;
using namespace std::chrono_literals;

const std::string startedLine = "SLM Audio Engine started \u2014 FREEZE + aggressive MUTE/SOLO online.\n";

std::unique_ptr<SLMAudioEngine> liveEngine(PulseAudioOutput** output = nullptr)
{
    auto live = std::make_unique<PulseAudioOutput>();
    if (output)
        *output = live.get();
    return std::make_unique<SLMAudioEngine>(std::move(live), std::make_unique<PulseDeviceControl>());
}

// Lets the engine's main-thread side run until the recorder holds `frames`.
bool recordUntil(MonitorRecorder& recorder, std::size_t frames, std::chrono::milliseconds timeout)
{
    return slm::test::processEventsUntil([&] { return recorder.frames() >= frames; }, timeout);
}

// Records until `seconds` of sound have come after the first sounding frame.
std::optional<std::size_t> recordSound(MonitorRecorder& recorder, unsigned rate, double seconds,
                                       std::chrono::milliseconds timeout)
{
    std::optional<std::size_t> first;
    const bool done = slm::test::processEventsUntil([&] {
        const auto samples = recorder.samples();
        const std::size_t frame = slm::test::firstSoundingFrame(samples, recorder.channels());
        if (frame == samples.size() / recorder.channels())
            return false;
        first = frame;
        return samples.size() / recorder.channels() >= frame + static_cast<std::size_t>(seconds * rate);
    }, timeout);
    return done ? first : std::nullopt;
}

// "yes" or "no" for the one stream of the server, as pactl reports it; empty without one.
QString corkedPerServer(const PulseServer& server)
{
    const QString inputs = server.pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}).output;
    if (inputs.count(QStringLiteral("Sink Input #")) != 1)
        return {};
    const auto match = QRegularExpression(QStringLiteral("Corked: (\\w+)")).match(inputs);
    return match.hasMatch() ? match.captured(1) : QString();
}

// Whether the last `seconds` recorded are exact silence.
bool endsSilent(MonitorRecorder& recorder, unsigned rate, double seconds)
{
    const auto samples = recorder.samples();
    const std::size_t n = static_cast<std::size_t>(seconds * rate) * recorder.channels();
    if (samples.size() < n)
        return false;
    return std::all_of(samples.end() - static_cast<std::ptrdiff_t>(n), samples.end(), [](float x) { return x == 0.0f; });
}

// The same tests against PulseAudio and against PipeWire's PulseAudio service.
class LiveEngineOnEitherServer : public testing::TestWithParam<PulseServer::Kind> {};

INSTANTIATE_TEST_SUITE_P(Servers, LiveEngineOnEitherServer,
                         testing::Values(PulseServer::Kind::pulseaudio, PulseServer::Kind::pipewire),
                         [](const auto& info) { return std::string(slm::test::kindName(info.param)); });

TEST_P(LiveEngineOnEitherServer, PlaysSilenceThroughTheHoldAndThenSound)
{
    PulseServer server({Sink(QStringLiteral("out"))}, GetParam());
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    SinkKeeper keeper(server.serverString(), QStringLiteral("out"));
    ASSERT_TRUE(keeper.start());
    MonitorRecorder recorder(server.serverString(), QStringLiteral("out"), 48000, 2);
    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(recorder.waitForFrames(4800, 1000ms));

    testing::internal::CaptureStdout();
    const std::size_t startFrame = recorder.frames();
    auto engine = liveEngine();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), startedLine);
    ASSERT_TRUE(engine->isRunning());

    ASSERT_TRUE(recordUntil(recorder, startFrame + 2 * 48000, 5000ms));
    const std::vector<float> samples = recorder.samples();
    const std::size_t first = slm::test::firstSoundingFrame(samples, 2);
    // Exact silence until the hold has passed, sound right after it.
    EXPECT_GE(first, startFrame + static_cast<std::size_t>(0.70 * 48000));
    EXPECT_LE(first, startFrame + static_cast<std::size_t>(1.5 * 48000));
    EXPECT_GT(slm::test::rms(samples, 2, 0, first + 24000, first + 48000), 1e-4);
}

// The stream takes the sink's own format: six channels carry the mid on the
// four extra ones; a mono sink gets both sides folded by the server.
TEST_P(LiveEngineOnEitherServer, SixChannelAndMonoSinksGetTheirOwnFormat)
{
    const Sink sinks[] = {
        Sink(QStringLiteral("six"), 44100, 6, QStringLiteral("front-left,front-right,rear-left,rear-right,front-center,lfe")),
        Sink(QStringLiteral("mono"), 48000, 1, QStringLiteral("mono")),
    };
    for (const Sink& sink : sinks) {
        const auto rate = static_cast<unsigned>(sink.rate);
        const auto channels = static_cast<unsigned>(sink.channels);
        SCOPED_TRACE(sink.name.toStdString());
        PulseServer server({sink}, GetParam());
        ASSERT_TRUE(server.start());
        PulseEnvironment env(server);
        MonitorRecorder recorder(server.serverString(), sink.name, rate, channels);
        ASSERT_TRUE(recorder.start());

        PulseAudioOutput* output = nullptr;
        auto engine = liveEngine(&output);
        ASSERT_TRUE(engine->isRunning());
        const auto sampleSpec = output->streamSampleSpec();
        ASSERT_TRUE(sampleSpec);
        EXPECT_EQ(sampleSpec->rate, rate);
        EXPECT_EQ(sampleSpec->channels, std::max(channels, 2u)) << "a mono sink is folded by the server";

        const auto first = recordSound(recorder, rate, 0.5, 8000ms);
        ASSERT_TRUE(first);
        const std::vector<float> samples = recorder.samples();
        const std::size_t frames = samples.size() / channels;
        EXPECT_GT(slm::test::rms(samples, channels, 0, *first + rate / 4, frames), 1e-4);
        std::size_t mismatches = 0;
        std::size_t stereo = 0;
        float peak = 0.0f;
        for (std::size_t frame = *first; frame < frames; ++frame) {
            const float* m = &samples[frame * channels];
            for (unsigned ch = 0; ch < channels; ++ch)
                peak = std::max(peak, std::abs(m[ch]));
            if (channels < 6)
                continue;
            const double mid = (static_cast<double>(m[0]) + m[1]) / 2.0;
            for (int ch = 2; ch < 6; ++ch)
                mismatches += std::abs(m[ch] - mid) > 1e-6 ? 1 : 0;
            stereo += m[0] != m[1] ? 1 : 0;
        }
        EXPECT_LE(peak, 1.0f);
        EXPECT_EQ(mismatches, 0u);
        if (channels == 6) {
            EXPECT_GT(stereo, rate / 4) << "left and right should differ";
        }
    }
}

TEST_P(LiveEngineOnEitherServer, SoundCarriesOnAfterTheServerRestartsWithTheFormatItStartedWith)
{
    PulseServer server({Sink(QStringLiteral("out"))}, GetParam());
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    double before = 0.0;
    PulseAudioOutput* output = nullptr;
    auto engine = liveEngine(&output);
    ASSERT_TRUE(engine->isRunning());
    {
        MonitorRecorder recorder(server.serverString(), QStringLiteral("out"), 48000, 2);
        ASSERT_TRUE(recorder.start());
        ASSERT_TRUE(recordSound(recorder, 48000, 1.0, 8000ms));
        const std::size_t end = recorder.frames();
        before = slm::test::rms(recorder.samples(), 2, 0, end - 12000, end);
        ASSERT_GT(before, 0.0);
    }

    testing::internal::CaptureStderr();
    server.kill();
    // Back with another default format, which the engine never reads again.
    server.setSinks({Sink(QStringLiteral("out"), 44100, 6)});
    ASSERT_TRUE(server.start());
    QElapsedTimer timer;
    timer.start();
    std::optional<std::size_t> first;
    std::optional<qint64> elapsed;
    std::vector<float> after;
    while (!first && timer.elapsed() < 5000) {
        MonitorRecorder recorder(server.serverString(), QStringLiteral("out"), 44100, 6);
        if (!recorder.start())
            continue;
        first = recordSound(recorder, 44100, 0.0, std::chrono::milliseconds(5000 - timer.elapsed()));
        if (!first)
            continue;
        elapsed = timer.elapsed();
        recordUntil(recorder, *first + 11025, 2000ms);
        after = recorder.samples();
    }
    const std::string log = testing::internal::GetCapturedStderr();

    // Most of this is the null sink's idle stride of up to 2 s before it
    // takes a new stream on.
    ASSERT_TRUE(first) << log;
    EXPECT_LE(*elapsed, 3000) << log;
    // The render goes on where it was: no second hold and fade-in.
    EXPECT_GT(slm::test::rms(after, 6, 0, *first, *first + 11025), 0.3 * before);
    EXPECT_EQ(output->streamSampleSpec()->rate, 48000u);
    EXPECT_EQ(output->streamSampleSpec()->channels, 2u);
    EXPECT_EQ(output->lossCount(), 1u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << "one line for the loss, one for the recovery:\n" << log;
    EXPECT_TRUE(engine->isRunning());
}

TEST(LiveEngine, PauseCorksTheStreamAfterItsFadeAndPlayBringsTheSoundBack)
{
    PulseServer server({Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    PulseAudioOutput* output = nullptr;
    auto engine = liveEngine(&output);
    ASSERT_TRUE(engine->isRunning());
    EXPECT_EQ(engine->outputState(), SLMAudioEngine::OutputState::live);
    MonitorRecorder recorder(server.serverString(), QStringLiteral("out"), 48000, 2);
    ASSERT_TRUE(recorder.start());
    ASSERT_TRUE(recordSound(recorder, 48000, 0.5, 8000ms));
    EXPECT_EQ(corkedPerServer(server), QStringLiteral("no"));

    engine->pause();
    // The fade first, then the cork.
    EXPECT_FALSE(engine->isOutputCorked());
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return engine->isOutputCorked(); }, 2000ms));
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return corkedPerServer(server) == QStringLiteral("yes"); }, 2000ms));
    EXPECT_TRUE(output->isCorked());
    EXPECT_EQ(engine->outputState(), SLMAudioEngine::OutputState::live);
    const std::size_t pausedAt = recorder.frames();
    ASSERT_TRUE(recordUntil(recorder, pausedAt + 48000, 3000ms));
    EXPECT_TRUE(endsSilent(recorder, 48000, 0.9));

    // Corked through a lost server: the new stream starts corked.
    testing::internal::CaptureStderr();
    ASSERT_TRUE(server.restart());
    const bool back = slm::test::processEventsUntil([&] { return output->isPlaying(); }, 5000ms);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(back);
    EXPECT_TRUE(slm::test::processEventsUntil(
        [&] { return engine->outputState() == SLMAudioEngine::OutputState::live; }, 1000ms));
    EXPECT_EQ(corkedPerServer(server), QStringLiteral("yes"));
    {
        MonitorRecorder quiet(server.serverString(), QStringLiteral("out"), 48000, 2);
        ASSERT_TRUE(quiet.start());
        ASSERT_TRUE(recordUntil(quiet, 48000, 3000ms));
        EXPECT_EQ(slm::test::firstSoundingFrame(quiet.samples(), 2), quiet.samples().size() / 2);
    }

    engine->play();
    EXPECT_FALSE(engine->isOutputCorked());
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return corkedPerServer(server) == QStringLiteral("no"); }, 2000ms));
    MonitorRecorder again(server.serverString(), QStringLiteral("out"), 48000, 2);
    ASSERT_TRUE(again.start());
    EXPECT_TRUE(recordSound(again, 48000, 0.2, 4000ms));
}

// A late server at the engine's level: the output's search is
// PulseAudioOutputTest's, the engine's start-up on it EngineStart's.
TEST(LiveEngine, AServerStoppedDuringLaunchStartsTheSoundOnceItAnswers)
{
    PulseServer server({Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    server.freeze();
    testing::internal::CaptureStdout();
    auto engine = liveEngine();
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(engine->isRunning());
    EXPECT_EQ(engine->outputState(), SLMAudioEngine::OutputState::waitingForServer);
    // Paused while waiting: the stream that comes is corked from its start.
    engine->pause();
    EXPECT_TRUE(engine->isOutputCorked());
    slm::test::processEventsFor(500ms);

    server.thaw();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return engine->isRunning(); }, 5000ms));
    EXPECT_EQ(engine->outputState(), SLMAudioEngine::OutputState::live);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return corkedPerServer(server) == QStringLiteral("yes"); }, 2000ms));
    engine->play();
    MonitorRecorder recorder(server.serverString(), QStringLiteral("out"), 48000, 2);
    ASSERT_TRUE(recorder.start());
    EXPECT_TRUE(recordSound(recorder, 48000, 0.2, 5000ms));
}

} // namespace
