#include "pulse/PulseAudioOutput.h"
#include "support/MonitorRecorder.h"
#include "support/PulseServer.h"

#include <pulse/error.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <cmath>
#include <numbers>
#include <string>

namespace {

using slm::test::MonitorRecorder;
using slm::test::PulseEnvironment;
using slm::test::PulseServer;
using namespace std::chrono_literals;
using Sink = PulseServer::Sink;

std::string threadName(const QString& commPath)
{
    QFile file(commPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toStdString() : std::string();
}

bool anyThreadNamed(const std::string& name)
{
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return std::any_of(tasks.begin(), tasks.end(), [&](const QString& task) {
        return threadName(QStringLiteral("/proc/self/task/%1/comm").arg(task)) == name;
    });
}

// Channel 1 a sine, channel 2 the sine at -1/2, every further channel c a
// constant 0.1·c: each channel is recognisable at the far end.
// With `writesNothing` it returns at once, as a render with no engine does.
struct TestSignal {
    std::atomic<std::uint64_t> frames{0};
    std::atomic<std::uint64_t> calls{0};
    std::atomic<bool> writesNothing{false};
    double rate = 48000.0;

    AudioOutput::RenderCallback callback()
    {
        return [this](std::uint32_t count, AudioBufferList buffers) {
            calls.fetch_add(1, std::memory_order_relaxed);
            if (writesNothing.load(std::memory_order_relaxed))
                return;
            ASSERT_EQ(buffers.size(), 1u);
            const AudioBuffer& buffer = buffers[0];
            std::uint64_t n = frames.load(std::memory_order_relaxed);
            for (std::uint32_t i = 0; i < count; ++i, ++n) {
                const float s = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 440.0 * static_cast<double>(n) / rate));
                float* frame = buffer.data + static_cast<std::size_t>(i) * buffer.channels;
                frame[0] = s;
                frame[1] = -0.5f * s;
                for (std::uint32_t c = 2; c < buffer.channels; ++c)
                    frame[c] = 0.1f * static_cast<float>(c + 1);
            }
            frames.store(n, std::memory_order_relaxed);
        };
    }
};

bool startOutput(PulseAudioOutput& output, TestSignal& signal)
{
    const AudioDeviceFormat format = output.deviceFormat();
    if (!(format.sampleRate > 0))
        return false;
    signal.rate = format.sampleRate;
    const std::uint32_t channels = std::max<std::uint32_t>(format.channelCount, 2);
    if (!output.createStream(format.sampleRate, channels))
        return false;
    output.setRenderCallback(signal.callback());
    std::string error;
    return output.start(error);
}

// Waits until the monitor of `sink` carries sound; the time it took, or nothing.
std::optional<std::chrono::milliseconds> timeToSound(const PulseServer& server, const QString& sink, unsigned rate,
                                                     unsigned channels, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeout.count()) {
        MonitorRecorder recorder(server.serverString(), sink, rate, channels);
        if (recorder.start()) {
            while (timer.elapsed() < timeout.count()) {
                recorder.waitForFrames(recorder.frames() + rate / 50, 200ms);
                const auto samples = recorder.samples();
                if (slm::test::firstSoundingFrame(samples, channels) < samples.size() / channels)
                    return std::chrono::milliseconds(timer.elapsed());
            }
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

TEST(PulseAudioOutputChannelMap, NarrowAndUnnamedSinksKeepAUsableOrder)
{
    // The six-channel reordering is checked end to end below.
    pa_channel_map mono;
    pa_channel_map_init_mono(&mono);
    const pa_channel_map widened = PulseAudioOutput::channelMapFor(mono, 2);
    ASSERT_EQ(widened.channels, 2u);
    EXPECT_EQ(widened.map[0], PA_CHANNEL_POSITION_FRONT_LEFT);
    EXPECT_EQ(widened.map[1], PA_CHANNEL_POSITION_FRONT_RIGHT);

    pa_channel_map swapped;
    pa_channel_map_parse(&swapped, "front-right,front-left");
    EXPECT_EQ(PulseAudioOutput::channelMapFor(swapped, 2).map[0], PA_CHANNEL_POSITION_FRONT_LEFT);

    pa_channel_map aux;
    pa_channel_map_parse(&aux, "aux1,aux0,aux2");
    const pa_channel_map untouched = PulseAudioOutput::channelMapFor(aux, 3);
    EXPECT_TRUE(pa_channel_map_equal(&untouched, &aux));
}

// The same tests against PulseAudio and against PipeWire's PulseAudio service.
class PulseAudioOutputOnEitherServer : public testing::TestWithParam<PulseServer::Kind> {};

INSTANTIATE_TEST_SUITE_P(Servers, PulseAudioOutputOnEitherServer,
                         testing::Values(PulseServer::Kind::pulseaudio, PulseServer::Kind::pipewire),
                         [](const auto& info) { return std::string(slm::test::kindName(info.param)); });

TEST(PulseAudioOutput, PlaysEveryChannelToTheDefaultSinkAtItsFormat)
{
    // The server's own six-channel order puts front right fourth.
    PulseServer server({{QStringLiteral("six"), 44100, 6, {}, QStringLiteral("Six")}});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    const std::string mainThreadName = threadName(QStringLiteral("/proc/self/comm"));
    PulseAudioOutput output;
    const AudioDeviceFormat format = output.deviceFormat();
    EXPECT_EQ(format.sampleRate, 44100.0);
    EXPECT_EQ(format.channelCount, 6u);

    MonitorRecorder recorder(server.serverString(), QStringLiteral("six"), 44100, 6);
    ASSERT_TRUE(recorder.start());

    TestSignal signal;
    ASSERT_TRUE(startOutput(output, signal));
    const auto sampleSpec = output.streamSampleSpec();
    ASSERT_TRUE(sampleSpec);
    EXPECT_EQ(sampleSpec->format, PA_SAMPLE_FLOAT32NE);
    EXPECT_EQ(sampleSpec->rate, 44100u);
    EXPECT_EQ(sampleSpec->channels, 6u);

    ASSERT_TRUE(recorder.waitForFrames(44100 / 2, 3s));
    // The stream's thread carries its own name; the main thread keeps its own.
    EXPECT_EQ(threadName(QStringLiteral("/proc/self/comm")), mainThreadName);
    EXPECT_TRUE(anyThreadNamed("starlume-audio"));
    const std::vector<float> samples = recorder.samples();
    // Monitor order: FL, FLC, FC, FR, FRC, RC. Ours: L, R, then 0.3, 0.4 ...
    const std::size_t first = slm::test::firstSoundingFrame(samples, 6);
    std::size_t playing = 0;
    std::size_t wrong = 0;
    for (std::size_t frame = first; frame < samples.size() / 6; ++frame) {
        const float* m = &samples[frame * 6];
        if (m[1] == 0.0f)
            continue; // not yet (or no longer) ours
        ++playing;
        const bool ok = m[3] == -0.5f * m[0] && m[1] == 0.3f && m[2] == 0.4f && m[4] == 0.5f && m[5] == 0.6f;
        wrong += ok ? 0 : 1;
    }
    EXPECT_GT(playing, 44100u / 10);
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(slm::test::rms(samples, 6, 0, first, samples.size() / 6), 0.2);

    // Measured in detail by the tool; this only catches a wildly wrong buffer.
    QThread::msleep(200);
    const auto latency = output.latency();
    ASSERT_TRUE(latency);
    EXPECT_LE(*latency, 100ms);

    const QString inputs = server.pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}).output;
    EXPECT_TRUE(inputs.contains(QStringLiteral("application.name = \"Starlume\""))) << inputs.toStdString();
    EXPECT_TRUE(inputs.contains(QStringLiteral("application.icon_name = \"starlume\"")));
    EXPECT_TRUE(inputs.contains(QStringLiteral("media.role = \"music\"")));
    const QString clients = server.pactl({QStringLiteral("list"), QStringLiteral("clients")}).output;
    EXPECT_TRUE(clients.contains(QStringLiteral("application.icon_name = \"starlume\"")));

    // A callback that leaves the buffer alone must leave silence in it.
    signal.writesNothing = true;
    QThread::msleep(300);
    const std::vector<float> after = recorder.samples();
    ASSERT_GT(after.size(), 6u * 4410);
    EXPECT_TRUE(std::all_of(after.end() - 6 * 4410, after.end(), [](float v) { return v == 0.0f; }));

    output.stop();
    const auto calls = signal.calls.load();
    QThread::msleep(150);
    EXPECT_EQ(signal.calls.load(), calls) << "a callback ran after stop";
}

TEST(PulseAudioOutput, AServerThatNeverAnswersCostsAtMostTwoSeconds)
{
    PulseServer server({PulseServer::Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    {
        server.freeze();
        PulseAudioOutput output;
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(output.deviceFormat().sampleRate > 0);
        EXPECT_LE(timer.elapsed(), 2000);
        server.thaw();
    }
    {
        // Stuck between reading the format and starting.
        PulseAudioOutput output;
        QElapsedTimer timer;
        timer.start();
        const AudioDeviceFormat format = output.deviceFormat();
        ASSERT_EQ(format.sampleRate, 48000.0);
        ASSERT_TRUE(output.createStream(format.sampleRate, 2));
        server.freeze();
        std::string error;
        EXPECT_FALSE(output.start(error));
        EXPECT_EQ(error, pa_strerror(PA_ERR_TIMEOUT));
        EXPECT_LE(timer.elapsed(), 2000);
        server.thaw();
    }
}

TEST(PulseAudioOutput, RefusedFormatsAndFailedStartsAreReported)
{
    PulseServer server({PulseServer::Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    PulseAudioOutput output;
    ASSERT_EQ(output.deviceFormat().sampleRate, 48000.0);
    EXPECT_FALSE(output.createStream(0.0, 2));
    EXPECT_FALSE(output.createStream(std::nan(""), 2));
    EXPECT_FALSE(output.createStream(48000.0, 0));
    EXPECT_FALSE(output.createStream(48000.0, 33));
    EXPECT_FALSE(output.createStream(1e7, 2));
    ASSERT_TRUE(output.createStream(48000.0, 2));

    // The sink goes away before the stream connects to it.
    ASSERT_EQ(server.pactl({QStringLiteral("unload-module"), QStringLiteral("module-null-sink")}).exitCode, 0);
    std::string error;
    EXPECT_FALSE(output.start(error));
    EXPECT_EQ(error, pa_strerror(PA_ERR_NOENTITY));
}

TEST_P(PulseAudioOutputOnEitherServer, MovesToTheNewDefaultWhenItsSinkIsRemoved)
{
    PulseServer server({{QStringLiteral("first")}, {QStringLiteral("second")}}, GetParam());
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({QStringLiteral("set-default-sink"), QStringLiteral("first")}).exitCode, 0);
    PulseEnvironment env(server);

    PulseAudioOutput output;
    TestSignal signal;
    ASSERT_TRUE(startOutput(output, signal));

    testing::internal::CaptureStderr();
    const QString modules = server.pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}).output;
    QString firstModule;
    for (const QString& line : modules.split('\n')) {
        if (line.contains(QStringLiteral("sink_name=first")))
            firstModule = line.section('\t', 0, 0);
    }
    ASSERT_FALSE(firstModule.isEmpty()) << modules.toStdString();
    ASSERT_EQ(server.pactl({QStringLiteral("unload-module"), firstModule}).exitCode, 0);
    const auto sound = timeToSound(server, QStringLiteral("second"), 48000, 2, 5000ms);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(sound);
    EXPECT_LE(*sound, 3000ms);
}

} // namespace

namespace {

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeout.count())
            return done();
        QThread::msleep(5);
    }
    return true;
}

} // namespace

TEST_P(PulseAudioOutputOnEitherServer, CorkingNeverWaitsForTheServerAndOutlivesARestart)
{
    PulseServer server({Sink(QStringLiteral("out"))}, GetParam());
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    PulseAudioOutput output;
    TestSignal signal;
    ASSERT_TRUE(startOutput(output, signal));
    // The null sink takes up to 2 s to take a new stream on.
    ASSERT_TRUE(waitFor([&] { return signal.frames.load() > 4800; }, 5000ms));

    // A stopped server holds nothing up: the request is only sent.
    server.freeze();
    QElapsedTimer timer;
    timer.start();
    output.setCorked(true);
    EXPECT_LT(timer.elapsed(), 50);
    server.thaw();
    ASSERT_TRUE(waitFor([&] { return output.isCorked(); }, 2000ms));
    QThread::msleep(200);
    const auto pulled = signal.calls.load();
    QThread::msleep(500);
    EXPECT_EQ(signal.calls.load(), pulled) << "a corked stream is not pulled";

    ASSERT_TRUE(server.restart());
    ASSERT_TRUE(waitFor([&] { return output.isPlaying(); }, 5000ms));
    EXPECT_TRUE(output.isCorked());
    EXPECT_TRUE(server.pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}).output.contains(QStringLiteral("Corked: yes")));

    output.setCorked(false);
    const auto before = signal.frames.load();
    EXPECT_TRUE(waitFor([&] { return signal.frames.load() > before + 4800; }, 5000ms));
    EXPECT_FALSE(output.isCorked());
}

TEST(PulseAudioOutput, WithoutAServerItKeepsLookingAndSaysWhenOneAnswers)
{
    PulseServer server({Sink(QStringLiteral("out"))});
    PulseEnvironment env(server);
    PulseAudioOutput output;
    std::mutex mutex;
    std::vector<bool> reports;
    output.setStateListener([&](bool reaches) {
        std::lock_guard lock(mutex);
        reports.push_back(reaches);
    });
    const auto seen = [&] {
        std::lock_guard lock(mutex);
        return reports;
    };
    EXPECT_FALSE(output.deviceFormat().sampleRate > 0);
    EXPECT_EQ(seen(), std::vector<bool>{false});
    QThread::msleep(700); // some retries find nothing, and say nothing
    EXPECT_EQ(seen(), std::vector<bool>{false});

    ASSERT_TRUE(server.start());
    ASSERT_TRUE(waitFor([&] { return seen().size() == 2; }, 3000ms));
    EXPECT_EQ(seen(), (std::vector<bool>{false, true}));
    TestSignal signal;
    ASSERT_TRUE(startOutput(output, signal));
    EXPECT_TRUE(waitFor([&] { return signal.frames.load() > 4800; }, 5000ms));
    EXPECT_EQ(seen(), (std::vector<bool>{false, true}));
}
