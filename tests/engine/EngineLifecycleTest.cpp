// Start-up outcomes, published state and teardown, against fake outputs.

#include "OfflineEngine.h"

#include "control/MemoryDeviceControl.h"
#include "engine/SLMAudioEngine.h"
#include "support/EventLoop.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace {

// An output that does what the test configures and remembers what the engine asked of it.
class ScriptedOutput : public AudioOutput {
public:
    struct Log {
        int createStreamCalls = 0;
        double streamRate = 0.0;
        std::uint32_t streamChannels = 0;
        bool callbackSet = false;
        bool started = false;
        bool stopped = false;
        int startCalls = 0;
        std::vector<bool> corks;
        StateListener listener;
        RenderCallback callback; // a copy, so the test can call it after teardown
    };

    ScriptedOutput(AudioDeviceFormat format, std::shared_ptr<Log> log)
        : format(format)
        , log(std::move(log))
    {
    }

    AudioDeviceFormat deviceFormat() override { return format; }
    bool createStream(double rate, std::uint32_t channels) override
    {
        ++log->createStreamCalls;
        log->streamRate = rate;
        log->streamChannels = channels;
        return acceptStream;
    }
    void setRenderCallback(RenderCallback callback) override
    {
        log->callbackSet = true;
        log->callback = std::move(callback);
    }
    bool start(std::string& error) override
    {
        ++log->startCalls;
        if (!startError.empty()) {
            error = startError;
            return false;
        }
        log->started = true;
        return true;
    }
    void stop() override { log->stopped = true; }
    void setCorked(bool corked) override { log->corks.push_back(corked); }
    void setStateListener(StateListener listener) override
    {
        if (reportsState)
            log->listener = std::move(listener);
    }

    AudioDeviceFormat format;
    std::shared_ptr<Log> log;
    bool acceptStream = true;
    std::string startError;
    bool reportsState = false;
};

struct Started {
    std::unique_ptr<SLMAudioEngine> engine;
    std::shared_ptr<ScriptedOutput::Log> log;
    std::string stdoutText;
};

Started startWith(AudioDeviceFormat format, bool acceptStream = true, std::string startError = {})
{
    Started s;
    s.log = std::make_shared<ScriptedOutput::Log>();
    auto output = std::make_unique<ScriptedOutput>(format, s.log);
    output->acceptStream = acceptStream;
    output->startError = std::move(startError);
    testing::internal::CaptureStdout();
    s.engine = std::make_unique<SLMAudioEngine>(std::move(output), std::make_unique<MemoryDeviceControl>());
    s.stdoutText = testing::internal::GetCapturedStdout();
    return s;
}

} // namespace

TEST(EngineStart, ReportsEachOutcomeWithExactlyOneLine)
{
    const std::string started = "SLM Audio Engine started \u2014 FREEZE + aggressive MUTE/SOLO online.\n";

    auto ok = startWith({48000.0, 2});
    EXPECT_EQ(ok.stdoutText, started);
    EXPECT_TRUE(ok.engine->isRunning());
    EXPECT_TRUE(ok.log->started);
    EXPECT_EQ(ok.log->streamRate, 48000.0);

    for (const double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()}) {
        auto bad = startWith({rate, 2});
        EXPECT_EQ(bad.stdoutText, "SLM Audio Engine: invalid output sample rate.\n") << rate;
        EXPECT_EQ(bad.log->createStreamCalls, 0);
        EXPECT_FALSE(bad.engine->isRunning());
    }

    auto refused = startWith({44100.0, 2}, false);
    EXPECT_EQ(refused.stdoutText, "SLM Audio Engine: could not create source format.\n");
    EXPECT_FALSE(refused.log->callbackSet);
    EXPECT_FALSE(refused.log->started);

    auto failed = startWith({44100.0, 2}, true, "Connection refused");
    EXPECT_EQ(failed.stdoutText, "SLM Audio Engine failed to start: Connection refused\n");
    EXPECT_FALSE(failed.engine->isRunning());
}

// An output that first finds no server, as the sound server's output does at a
// launch before the server: it says it keeps looking, then that it found one.
TEST(EngineStart, RunsItsStartUpAgainWhenTheOutputFindsAServerAndTellsTheTruthThroughout)
{
    const std::string started = "SLM Audio Engine started \u2014 FREEZE + aggressive MUTE/SOLO online.\n";
    auto log = std::make_shared<ScriptedOutput::Log>();
    // Looking for a server from the first failed step on.
    struct Searching : ScriptedOutput {
        using ScriptedOutput::ScriptedOutput;
        AudioDeviceFormat deviceFormat() override
        {
            const AudioDeviceFormat f = ScriptedOutput::deviceFormat();
            if (!(f.sampleRate > 0) && log->listener)
                log->listener(false);
            return f;
        }
    };
    auto searching = std::make_unique<Searching>(AudioDeviceFormat{0.0, 2}, log);
    searching->reportsState = true;
    Searching& out = *searching;
    testing::internal::CaptureStdout();
    SLMAudioEngine engine(std::move(searching), std::make_unique<MemoryDeviceControl>());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SLM Audio Engine: invalid output sample rate.\n");
    EXPECT_EQ(engine.outputState(), SLMAudioEngine::OutputState::waitingForServer);

    // Paused while nothing renders: corked at once, nothing to fade.
    engine.pause();
    EXPECT_EQ(log->corks, std::vector<bool>{true});

    int changes = 0;
    QObject::connect(&engine, &SLMAudioEngine::outputStateChanged, [&] { ++changes; });
    out.format = {44100.0, 2};
    testing::internal::CaptureStdout();
    std::thread([&] { log->listener(true); }).join(); // from the output's own thread
    EXPECT_FALSE(engine.isRunning()) << "never from inside the output's call";
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return engine.isRunning(); }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), started);
    EXPECT_EQ(engine.outputState(), SLMAudioEngine::OutputState::live);
    EXPECT_EQ(log->streamRate, 44100.0);
    EXPECT_EQ(changes, 1);

    // Lost, then back.
    std::thread([&] { log->listener(false); }).join();
    slm::test::drainPostedEvents();
    EXPECT_EQ(engine.outputState(), SLMAudioEngine::OutputState::waitingForServer);
    log->listener(true);
    EXPECT_EQ(engine.outputState(), SLMAudioEngine::OutputState::live);
    // A report overtaken by a newer one changes nothing when it arrives.
    std::thread([&] { log->listener(false); }).join();
    log->listener(true);
    slm::test::drainPostedEvents();
    EXPECT_EQ(engine.outputState(), SLMAudioEngine::OutputState::live);
    EXPECT_EQ(log->startCalls, 1);

    engine.play();
    EXPECT_EQ(log->corks, (std::vector<bool>{true, false}));
}

TEST(EngineStart, AnOutputThatRefusesForGoodIsUnavailable)
{
    auto refused = startWith({44100.0, 2}, false);
    EXPECT_EQ(refused.engine->outputState(), SLMAudioEngine::OutputState::unavailable);
    auto silent = startWith({0.0, 2});
    EXPECT_EQ(silent.engine->outputState(), SLMAudioEngine::OutputState::unavailable);
    auto ok = startWith({44100.0, 2});
    EXPECT_EQ(ok.engine->outputState(), SLMAudioEngine::OutputState::live);
}

TEST(EngineStart, ASilentEngineStillHasWorkingModels)
{
    auto silent = startWith({0.0, 2});
    SLMAudioEngine& engine = *silent.engine;
    engine.parameters()->setFieldLevel(0.1);
    EXPECT_EQ(engine.parameters()->fieldLevel(), 0.1);
    engine.meters()->update(1.0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(engine.meters()->reactorPeakDB(), 0.0);
    EXPECT_EQ(engine.spectrum()->bands().size(), 24);
    EXPECT_EQ(engine.deliverPendingMeterUpdates(), 0);
}

TEST(EngineState, FreezeAnnouncesBeforeStoringEvenWhenUnchanged)
{
    slm::test::OfflineEngine e(8000.0);
    SLMAudioEngine& engine = e.engine();
    std::vector<std::string> events;
    QObject::connect(&engine, &SLMAudioEngine::objectWillChange,
                     [&] { events.push_back(std::string("will:") + (engine.isFrozen() ? "1" : "0")); });
    QObject::connect(&engine, &SLMAudioEngine::isFrozenChanged,
                     [&] { events.push_back(std::string("changed:") + (engine.isFrozen() ? "1" : "0")); });
    engine.setIsFrozen(true);
    engine.setIsFrozen(true);
    EXPECT_EQ(events, (std::vector<std::string>{"will:0", "changed:1", "will:1", "changed:1"}));
    EXPECT_EQ(engine.property("isFrozen").toBool(), true);
}

TEST(EngineState, WallClockTakesLocalSecondsWithTheirFractionAndTheMinute)
{
    slm::test::OfflineEngine e(8000.0);
    const QDateTime local(QDate(2024, 3, 9), QTime(14, 37, 29, 875), Qt::LocalTime);
    e.engine().updateWallClock(local.toUTC());
    EXPECT_DOUBLE_EQ(e.engine().wallClockSecond(), 29.875);
    EXPECT_EQ(e.engine().wallClockMinute(), 37);
}

TEST(EngineTeardown, ACallbackAfterTeardownLeavesBuffersUntouched)
{
    auto s = startWith({48000.0, 2});
    ASSERT_TRUE(s.log->callback);
    std::vector<float> left(64, 7.0f), right(64, 7.0f);
    AudioBuffer buffers[2] = {{1, left.data()}, {1, right.data()}};
    s.log->callback(64, AudioBufferList(buffers));
    EXPECT_EQ(left[0], 0.0f) << "a live engine renders (the hold is silent)";

    std::fill(left.begin(), left.end(), 7.0f);
    std::fill(right.begin(), right.end(), 7.0f);
    s.engine.reset();
    EXPECT_TRUE(s.log->stopped);
    s.log->callback(64, AudioBufferList(buffers));
    EXPECT_EQ(left, std::vector<float>(64, 7.0f));
    EXPECT_EQ(right[0], 7.0f);
}

TEST(EngineOutputBuffers, NullBuffersAreSkippedAndASingleMonoBufferGetsTheLeftSide)
{
    auto s = startWith({8000.0, 2});
    std::vector<float> skip(8000 * 7);
    AudioBuffer warmup[2] = {{1, skip.data()}, {1, nullptr}};
    s.log->callback(8000 * 7, AudioBufferList(warmup)); // past the fade

    std::vector<float> first(256, 7.0f), third(256, 7.0f);
    AudioBuffer three[3] = {{1, first.data()}, {1, nullptr}, {1, third.data()}};
    s.log->callback(256, AudioBufferList(three));
    EXPECT_NE(first[100], 7.0f);
    EXPECT_NE(third[100], 7.0f);
    EXPECT_NE(first[100], third[100]) << "left, and the mid signal";

    std::vector<float> mono(256, 7.0f);
    AudioBuffer single[1] = {{1, mono.data()}};
    s.log->callback(256, AudioBufferList(single));
    EXPECT_NE(mono[100], 7.0f);
    EXPECT_LE(std::fabs(mono[100]), 1.0f);
}

namespace {

// Pulls blocks on its own thread, as a sound server would, until stopped.
class ThreadedOutput : public AudioOutput {
public:
    explicit ThreadedOutput(std::atomic<int>& blocks)
        : m_blocks(blocks)
    {
    }
    ~ThreadedOutput() override { stop(); }

    AudioDeviceFormat deviceFormat() override { return {48000.0, 2}; }
    bool createStream(double, std::uint32_t channels) override
    {
        m_interleaved.assign(256 * channels, 0.0f);
        m_buffer = {channels, m_interleaved.data()};
        return true;
    }
    void setRenderCallback(RenderCallback callback) override { m_callback = std::move(callback); }
    bool start(std::string&) override
    {
        m_running = true;
        m_thread = std::thread([this] {
            while (m_running.load()) {
                m_callback(256, AudioBufferList(&m_buffer, 1));
                m_blocks.fetch_add(1);
            }
        });
        return true;
    }
    void stop() override
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::atomic<int>& m_blocks;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
    RenderCallback m_callback;
    std::vector<float> m_interleaved;
    AudioBuffer m_buffer;
};

} // namespace

TEST(EngineTeardown, DestroyingTheEngineWhileItRendersIsSafe)
{
    for (int round = 0; round < 5; ++round) {
        std::atomic<int> blocks{0};
        testing::internal::CaptureStdout();
        auto engine = std::make_unique<SLMAudioEngine>(std::make_unique<ThreadedOutput>(blocks),
                                                       std::make_unique<MemoryDeviceControl>());
        testing::internal::GetCapturedStdout();
        while (blocks.load() < 20 * (round + 1))
            std::this_thread::yield();
        engine->parameters()->setWaveSolo(true);
        engine.reset();
        const int atTeardown = blocks.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(blocks.load(), atTeardown) << "nothing renders once the engine is gone";
    }
}
