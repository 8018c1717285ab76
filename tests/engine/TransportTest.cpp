// Pause, play and the sleep timer, driven offline.

#include "OfflineEngine.h"

#include "analysis/SLMAudioMeters.h"
#include "analysis/SLMAudioSpectrum.h"
#include "engine/SLMSleepTimer.h"
#include "engine/TransportFade.h"
#include "support/EventLoop.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using slm::synth::TransportFade;
using slm::synth::TransportTarget;
using slm::test::OfflineEngine;
using slm::test::peakOf;
using namespace std::chrono_literals;

namespace {

std::int64_t afterStartup(double rate) { return static_cast<std::int64_t>(rate * 6.0) + 1; }

std::vector<double> gains(TransportFade& fade, int frames)
{
    std::vector<double> g;
    for (int i = 0; i < frames; ++i)
        g.push_back(fade.nextGain());
    return g;
}

// How much further than the unfaded sound's own step, at that same frame,
// the faded sound ever steps from one sample to the next.
double worstExtraStep(const std::vector<float>& faded, const std::vector<float>& sound)
{
    double worst = 0.0;
    for (std::size_t i = 1; i < std::min(faded.size(), sound.size()); ++i) {
        const double own = std::fabs(static_cast<double>(sound[i]) - sound[i - 1]);
        worst = std::max(worst, std::fabs(static_cast<double>(faded[i]) - faded[i - 1]) - own);
    }
    return worst;
}

double rmsOf(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

} // namespace

TEST(TransportFade, FollowsARaisedCosineForExactlyItsLengthEachWay)
{
    TransportFade fade;
    EXPECT_TRUE(fade.isOpen());
    const TransportTarget pause = TransportTarget::next({}, false, 0.5);
    fade.follow(pause, 1000.0);
    const auto down = gains(fade, 600);
    EXPECT_EQ(down[0], 1.0);
    EXPECT_NEAR(down[250], 0.5, 1e-12);
    EXPECT_GT(down[499], 0.0);
    for (int i = 500; i < 600; ++i)
        ASSERT_EQ(down[i], 0.0) << i;
    EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
    EXPECT_TRUE(fade.isSilent());

    fade.follow(TransportTarget::next(pause, true, 2.0), 1000.0);
    const auto up = gains(fade, 2001);
    EXPECT_EQ(up[0], 0.0);
    EXPECT_NEAR(up[1000], 0.5, 1e-12);
    EXPECT_LT(up[1999], 1.0);
    EXPECT_EQ(up[2000], 1.0);
    EXPECT_TRUE(fade.isOpen());

    // A command without a usable length acts at once.
    fade.follow(TransportTarget::next(pause, false, std::nan("")), 1000.0);
    EXPECT_EQ(gains(fade, 2)[1], 0.0);
}

TEST(TransportFade, AReversalTurnsRoundWhereItIsWithoutAStep)
{
    TransportFade fade;
    const TransportTarget pause = TransportTarget::next({}, false, 0.5);
    fade.follow(pause, 1000.0);
    auto g = gains(fade, 125); // a quarter of the way down
    fade.follow(TransportTarget::next(pause, true, 2.0), 1000.0);
    const auto up = gains(fade, 600);
    g.insert(g.end(), up.begin(), up.end());

    double largest = 0.0;
    for (std::size_t i = 1; i < g.size(); ++i)
        largest = std::max(largest, std::abs(g[i] - g[i - 1]));
    // The steepest step of the faster (pause) curve, nothing more.
    EXPECT_LE(largest, slm::synth::pi / (2.0 * 500.0) + 1e-12);
    EXPECT_GT(*std::min_element(g.begin(), g.end()), 0.8);
    // From three quarters up, the 2 s curve has a quarter of its way left: 500 frames.
    EXPECT_LT(g[125 + 499], 1.0);
    EXPECT_EQ(g[125 + 500], 1.0);
}

TEST(EngineTransport, PauseFadesToSilenceCorksAndPullsNothingThenPlayFadesBackIn)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    SLMAudioEngine& engine = e.engine();
    e.skip(afterStartup(rate));
    const auto before = e.render(4000);

    std::vector<std::string> events;
    QObject::connect(&engine, &SLMAudioEngine::objectWillChange, [&] { events.push_back("will"); });
    QObject::connect(&engine, &SLMAudioEngine::isPlayingChanged,
                     [&] { events.push_back(engine.isPlaying() ? "playing" : "paused"); });
    engine.pause();
    EXPECT_EQ(events, (std::vector<std::string>{"will", "paused"}));
    EXPECT_FALSE(engine.isPlaying());

    // The fade is counted from the first frame after the request.
    const auto fading = e.render(9000, 500);
    EXPECT_GT(peakOf(fading[0], 0, 4000), 0.05f);
    EXPECT_GT(peakOf(fading[0], 7500, 7999), 0.0f);
    EXPECT_EQ(peakOf(fading[0], 8000), 0.0f);
    EXPECT_EQ(peakOf(fading[1], 8000), 0.0f);

    EXPECT_FALSE(e.output().isCorked()) << "corked only once the main loop hears of the silence";
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return engine.isOutputCorked(); }, 1000ms));
    EXPECT_TRUE(e.output().isCorked());
    const std::int64_t pulled = e.state().startup.sampleIndex;
    e.render(16000);
    EXPECT_EQ(e.state().startup.sampleIndex, pulled) << "a corked output pulls nothing";

    engine.togglePlayPause();
    EXPECT_TRUE(engine.isPlaying());
    EXPECT_FALSE(engine.isOutputCorked());
    EXPECT_FALSE(e.output().isCorked());
    const auto back = e.render(static_cast<std::int64_t>(2.5 * rate));
    EXPECT_LT(peakOf(back[0], 0, 160), 0.001f) << "the sound comes back from silence";
    EXPECT_GT(rmsOf(back[0], 32000, 40000), 0.3 * rmsOf(before[0], 0, 4000));
    EXPECT_EQ(e.state().transport.position, 1.0);
}

TEST(EngineTransport, FadesAndTheirReversalStepNoFurtherThanTheSoundItself)
{
    const double rate = 16000.0;
    OfflineEngine paused(rate);
    OfflineEngine reference(rate);
    paused.skip(afterStartup(rate));
    reference.skip(afterStartup(rate));

    // Down, turned round a quarter of a second in, then all the way down.
    paused.engine().pause();
    auto faded = paused.render(4000);
    paused.engine().play();
    const auto up = paused.render(8000);
    paused.engine().pause();
    const auto down = paused.render(9000);
    faded[0].insert(faded[0].end(), up[0].begin(), up[0].end());
    faded[0].insert(faded[0].end(), down[0].begin(), down[0].end());
    const auto same = reference.render(21000);

    // The gain's own slope adds at most |x|·pi/(2·8000) a step.
    EXPECT_LE(worstExtraStep(faded[0], same[0]), slm::synth::pi / 16000.0 + 1e-6);
    EXPECT_LE(worstExtraStep(faded[1], same[1]), slm::synth::pi / 16000.0 + 1e-6);
    EXPECT_GT(peakOf(faded[0], 3900, 4100), 0.05f) << "the reversal never reached silence";
    EXPECT_EQ(peakOf(faded[0], 12000 + 8000), 0.0f);

    // The measure does see a cut: a pause without a fade steps further.
    OfflineEngine cut(rate);
    cut.skip(afterStartup(rate));
    auto abrupt = cut.render(2000);
    cut.engine().pause(0.0);
    const auto after = cut.render(2000);
    abrupt[0].insert(abrupt[0].end(), after[0].begin(), after[0].end());
    EXPECT_GT(worstExtraStep(abrupt[0], std::vector<float>(same[0].begin(), same[0].begin() + 4000)), 0.005);
}

TEST(EngineTransport, WhilePausedTheMetersAndTheAnalyserFallToRest)
{
    const double rate = 48000.0;
    OfflineEngine e(rate);
    SLMAudioEngine& engine = e.engine();
    while (e.framesRendered() < afterStartup(rate) + 48000) {
        e.skip(4800, 480);
        engine.deliverPendingMeterUpdates();
        engine.spectrum()->waitUntilIdle();
    }
    const QList<double> playing = engine.spectrum()->bands();
    ASSERT_GT(engine.meters()->masterLeftPeakDB(), -40.0);
    ASSERT_GT(*std::max_element(playing.begin(), playing.end()), -50.0);

    engine.pause();
    e.skip(static_cast<std::int64_t>(0.55 * rate), 480);
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return engine.isOutputCorked(); }, 1000ms));

    const SLMAudioMeters& m = *engine.meters();
    auto atRest = [&] {
        const QList<double> bands = engine.spectrum()->bands();
        const bool bandsDown = std::all_of(bands.begin(), bands.end(), [](double b) { return b < -71.9; });
        return bandsDown && m.masterLeftPeakDB() < -59.9 && m.reactorDB() < -59.9 && m.glowwormPeakDB() < -59.9
               && m.fieldPeakDB() < -59.9 && m.masterRightDB() < -59.9;
    };
    EXPECT_FALSE(atRest());
    EXPECT_TRUE(slm::test::processEventsUntil(atRest, 10000ms));
}

TEST(SleepTimer, TheFadeTakesTheLastMinuteOrAllOfAShorterTimer)
{
    EXPECT_EQ(SLMSleepTimer::fadeStartSeconds(90 * 60.0), 89 * 60.0);
    EXPECT_EQ(SLMSleepTimer::fadeStartSeconds(15 * 60.0), 14 * 60.0);
    EXPECT_EQ(SLMSleepTimer::fadeStartSeconds(90.0), 30.0);
    EXPECT_EQ(SLMSleepTimer::fadeStartSeconds(6.0), 0.0);

    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(6.0, 0.0), 6);
    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(6.0, 0.5), 6);
    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(6.0, 1.0), 5);
    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(6.0, 5.99), 1);
    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(6.0, 6.0), 0);
    EXPECT_EQ(SLMSleepTimer::remainingSecondsAt(90 * 60.0, 1.2), 90 * 60 - 1);
}

TEST(SleepTimer, AShortTimerFadesOutWhilePlayingThenPausesAndExpires)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    SLMAudioEngine& engine = e.engine();
    SLMSleepTimer& timer = *engine.sleepTimer();
    e.skip(afterStartup(rate));
    const auto full = e.render(4000);

    std::vector<int> readouts;
    QObject::connect(&timer, &SLMSleepTimer::remainingSecondsChanged, [&] { readouts.push_back(timer.remainingSeconds()); });
    bool expired = false;
    QElapsedTimer clock;
    qint64 expiredAfter = 0;
    QObject::connect(&timer, &SLMSleepTimer::expired, [&] {
        expired = true;
        expiredAfter = clock.elapsed();
    });
    clock.start();
    timer.start(0.03); // 1.8 s, all of it fade
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.lengthMinutes(), 0.03);
    EXPECT_EQ(timer.remainingSeconds(), 2);

    // The fade began at once and runs over the whole length; the transport still plays.
    const auto fading = e.render(static_cast<std::int64_t>(0.9 * rate));
    EXPECT_TRUE(engine.isPlaying());
    const double halfway = rmsOf(fading[0], fading[0].size() - 1600, fading[0].size());
    EXPECT_LT(halfway, 0.8 * rmsOf(full[0], 0, 4000));
    EXPECT_GT(halfway, 0.2 * rmsOf(full[0], 0, 4000));

    ASSERT_TRUE(slm::test::processEventsUntil([&] { return expired; }, 3000ms));
    EXPECT_GE(expiredAfter, 1800);
    EXPECT_LT(expiredAfter, 2100);
    EXPECT_EQ(readouts, (std::vector<int>{2, 1, 0}));
    EXPECT_FALSE(engine.isPlaying());
    EXPECT_FALSE(timer.isActive());
    e.render(static_cast<std::int64_t>(1.0 * rate));
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return engine.isOutputCorked(); }, 1000ms));
}

TEST(SleepTimer, AnyPlayRequestCancelsItAndBringsTheSoundBack)
{
    const double rate = 16000.0;
    OfflineEngine e(rate);
    SLMAudioEngine& engine = e.engine();
    SLMSleepTimer& timer = *engine.sleepTimer();
    e.skip(afterStartup(rate));
    const auto full = e.render(4000);

    timer.start(0.05);
    e.render(static_cast<std::int64_t>(1.5 * rate));
    engine.play();
    EXPECT_FALSE(timer.isActive());
    EXPECT_EQ(timer.remainingSeconds(), 0);
    const auto back = e.render(static_cast<std::int64_t>(2.0 * rate));
    EXPECT_GT(rmsOf(back[0], back[0].size() - 4000, back[0].size()), 0.5 * rmsOf(full[0], 0, 4000));
    slm::test::processEventsFor(3500ms);
    EXPECT_TRUE(engine.isPlaying()) << "a cancelled timer never pauses";

    // Off, 15, 30, 45, 60, 90, off; from a length off the list to the next longer one.
    std::vector<double> lengths;
    for (int i = 0; i < 6; ++i) {
        timer.stepLength();
        lengths.push_back(timer.lengthMinutes());
    }
    EXPECT_EQ(lengths, (std::vector<double>{15, 30, 45, 60, 90, 0}));
    timer.start(20);
    timer.stepLength();
    EXPECT_EQ(timer.lengthMinutes(), 30);
    timer.cancel();
}
