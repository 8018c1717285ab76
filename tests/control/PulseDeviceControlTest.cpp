#include "pulse/PulseDeviceControl.h"
#include "control/SLMSystemOutputVolume.h"
#include "support/EventLoop.h"
#include "support/PulseServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

using slm::test::PulseEnvironment;
using slm::test::PulseServer;
using namespace std::chrono_literals;
using Sink = PulseServer::Sink;

constexpr double norm = 65536.0;

// Forwards to the server's device control and counts the writes.
class CountingDevice : public OutputDeviceControl {
public:
    explicit CountingDevice(std::atomic<int>& writes) : m_writes(writes) {}
    std::optional<DeviceId> defaultOutputDevice() override { return m_pulse.defaultOutputDevice(); }
    std::optional<QString> deviceName(DeviceId id) override { return m_pulse.deviceName(id); }
    bool hasVolume(DeviceId id, unsigned e) override { return m_pulse.hasVolume(id, e); }
    std::optional<float> volume(DeviceId id, unsigned e) override { return m_pulse.volume(id, e); }
    bool isVolumeSettable(DeviceId id, unsigned e) override { return m_pulse.isVolumeSettable(id, e); }
    bool setVolume(DeviceId id, unsigned e, float v) override
    {
        ++m_writes;
        return m_pulse.setVolume(id, e, v);
    }
    bool addDeviceListener(std::function<void()> l) override { return m_pulse.addDeviceListener(std::move(l)); }
    void removeDeviceListener() override { m_pulse.removeDeviceListener(); }

private:
    PulseDeviceControl m_pulse;
    std::atomic<int>& m_writes;
};

unsigned maxOf(const std::vector<unsigned>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Writes reach the server after the call returns.
bool sinkReaches(const PulseServer& server, const QString& sink, const std::vector<unsigned>& raw)
{
    return slm::test::processEventsUntil([&] { return server.sinkVolumes(sink) == raw; }, 3000ms);
}

bool sinkLoudestNear(const PulseServer& server, const QString& sink, double value)
{
    return slm::test::processEventsUntil(
        [&] { return std::abs(maxOf(server.sinkVolumes(sink)) / norm - value) <= 1.0 / norm; }, 3000ms);
}

// How long one call keeps the calling thread.
template <typename F>
qint64 millisecondsOf(F&& call)
{
    QElapsedTimer timer;
    timer.start();
    call();
    return timer.elapsed();
}

// The same tests against PulseAudio and against PipeWire's PulseAudio service.
class PulseDeviceControlOnEitherServer : public testing::TestWithParam<PulseServer::Kind> {};

INSTANTIATE_TEST_SUITE_P(Servers, PulseDeviceControlOnEitherServer,
                         testing::Values(PulseServer::Kind::pulseaudio, PulseServer::Kind::pipewire),
                         [](const auto& info) { return std::string(slm::test::kindName(info.param)); });

TEST_P(PulseDeviceControlOnEitherServer, TheVolumeModelReadsAndWritesTheDefaultSink)
{
    PulseServer server({Sink(QStringLiteral("speakers"), 48000, 2, {}, QStringLiteral("Speakers"))}, GetParam());
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-sink-volume", "speakers", "30%", "50%"}).exitCode, 0);
    PulseEnvironment env(server);

    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    EXPECT_TRUE(volume.canControlVolume());
    EXPECT_EQ(volume.deviceName(), "Speakers");
    EXPECT_EQ(volume.volume(), 0.5) << "the loudest channel is the sink's volume";

    // Writing scales both channels and keeps their balance.
    volume.setVolume(0.8);
    ASSERT_TRUE(sinkLoudestNear(server, QStringLiteral("speakers"), 0.8));
    std::vector<unsigned> raw = server.sinkVolumes(QStringLiteral("speakers"));
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_NEAR(static_cast<double>(raw[0]) / raw[1], 0.6, 1e-4);
    slm::test::drainPostedEvents();
    EXPECT_TRUE(volume.canControlVolume());

    volume.setVolume(1.3);
    EXPECT_EQ(volume.volume(), 1.0);
    ASSERT_TRUE(sinkLoudestNear(server, QStringLiteral("speakers"), 1.0));
    raw = server.sinkVolumes(QStringLiteral("speakers"));
    EXPECT_NEAR(static_cast<double>(raw[0]) / raw[1], 0.6, 1e-4);

    volume.setVolume(-0.2);
    EXPECT_EQ(volume.volume(), 0.0);
    EXPECT_TRUE(sinkReaches(server, QStringLiteral("speakers"), {0, 0}));

    // Above 100% on the server still reads as full scale.
    ASSERT_EQ(server.pactl({"set-sink-volume", "speakers", "150%"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return volume.volume() == 1.0; }, 2000ms));
    slm::test::processEventsFor(200ms);
    EXPECT_EQ(maxOf(server.sinkVolumes(QStringLiteral("speakers"))), 98304u) << "following the sink wrote to it";
}

TEST(PulseDeviceControl, ElementZeroIsTheSinkAndTheOthersItsChannels)
{
    PulseServer server({Sink(QStringLiteral("three"), 48000, 3, {}, QStringLiteral("Three"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-sink-volume", "three", "20%", "40%", "60%"}).exitCode, 0);
    PulseEnvironment env(server);

    PulseDeviceControl control;
    const auto device = control.defaultOutputDevice();
    ASSERT_TRUE(device);
    EXPECT_EQ(control.deviceName(*device), "Three");
    for (unsigned element = 0; element <= 3; ++element) {
        EXPECT_TRUE(control.hasVolume(*device, element)) << element;
        EXPECT_TRUE(control.isVolumeSettable(*device, element)) << element;
    }
    EXPECT_FALSE(control.hasVolume(*device, 4));
    EXPECT_FALSE(control.volume(*device, 4));
    EXPECT_NEAR(*control.volume(*device, 0), 0.6, 1e-4);
    EXPECT_NEAR(*control.volume(*device, 2), 0.4, 1e-4);

    ASSERT_TRUE(control.setVolume(*device, 3, 0.25f));
    EXPECT_EQ(*control.volume(*device, 3), 0.25f) << "reads see a write at once";
    ASSERT_TRUE(slm::test::processEventsUntil(
        [&] { return server.sinkVolumes(QStringLiteral("three")).back() == 16384u; }, 3000ms));
    std::vector<unsigned> raw = server.sinkVolumes(QStringLiteral("three"));
    ASSERT_EQ(raw.size(), 3u);
    EXPECT_NEAR(raw[0] / norm, 0.2, 1e-4);
    EXPECT_NEAR(raw[1] / norm, 0.4, 1e-4);

    EXPECT_FALSE(control.setVolume(*device, 4, 0.5f));
    EXPECT_FALSE(control.volume(*device + 100, 0)) << "a sink that does not exist";
}

TEST_P(PulseDeviceControlOnEitherServer, ANewDefaultSinkIsShownOnTheMainThreadWithoutWriting)
{
    PulseServer server({Sink(QStringLiteral("speakers"), 48000, 2, {}, QStringLiteral("Speakers")),
                        Sink(QStringLiteral("headphones"), 48000, 2, {}, QStringLiteral("Headphones"))}, GetParam());
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-default-sink", "speakers"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-sink-volume", "speakers", "70%"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-sink-volume", "headphones", "35%"}).exitCode, 0);
    PulseEnvironment env(server);

    std::atomic<int> writes{0};
    SLMSystemOutputVolume volume(std::make_unique<CountingDevice>(writes));
    ASSERT_EQ(volume.deviceName(), "Speakers");
    bool offMainThread = false;
    QObject::connect(&volume, &SLMSystemOutputVolume::deviceNameChanged,
                     [&] { offMainThread |= QThread::currentThread() != qApp->thread(); });

    ASSERT_EQ(server.pactl({"set-default-sink", "headphones"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return volume.deviceName() == "Headphones"; }, 1000ms));
    EXPECT_NEAR(volume.volume(), 0.35, 1e-4);
    EXPECT_FALSE(offMainThread);
    slm::test::processEventsFor(100ms);
    EXPECT_EQ(writes.load(), 0);
    EXPECT_NEAR(maxOf(server.sinkVolumes(QStringLiteral("speakers"))) / norm, 0.70, 1e-4);
    EXPECT_NEAR(maxOf(server.sinkVolumes(QStringLiteral("headphones"))) / norm, 0.35, 1e-4);
}

TEST(PulseDeviceControl, TheListenerHearsOfTheDefaultSinkOnlyAndNotOnceRemoved)
{
    PulseServer server({Sink(QStringLiteral("a")), Sink(QStringLiteral("b"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-default-sink", "a"}).exitCode, 0);
    PulseEnvironment env(server);

    PulseDeviceControl control;
    std::atomic<int> calls{0};
    ASSERT_TRUE(control.addDeviceListener([&] { ++calls; }));
    ASSERT_TRUE(control.defaultOutputDevice());

    ASSERT_EQ(server.pactl({"set-default-sink", "b"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return calls.load() == 1; }, 1000ms));
    // Changes elsewhere on the server are none of its business.
    ASSERT_EQ(server.pactl({"set-sink-volume", "a", "20%"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-sink-mute", "a", "1"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-default-source", "a.monitor"}).exitCode, 0);
    slm::test::processEventsFor(200ms);
    EXPECT_EQ(calls.load(), 1);
    // Our own writes are not news either.
    const auto device = control.defaultOutputDevice();
    ASSERT_TRUE(device);
    ASSERT_TRUE(control.setVolume(*device, 0, 0.3f));
    ASSERT_TRUE(sinkLoudestNear(server, QStringLiteral("b"), 0.3));
    slm::test::processEventsFor(200ms);
    EXPECT_EQ(calls.load(), 1);

    control.removeDeviceListener();
    ASSERT_EQ(server.pactl({"set-default-sink", "a"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-sink-volume", "b", "10%"}).exitCode, 0);
    slm::test::processEventsFor(300ms);
    EXPECT_EQ(calls.load(), 1);
}

TEST(PulseDeviceControl, WithoutAServerNothingIsControllableUntilOneAppears)
{
    PulseServer server({Sink(QStringLiteral("late"), 48000, 2, {}, QStringLiteral("Late"))});
    PulseEnvironment env(server); // nothing listens there yet

    QElapsedTimer timer;
    timer.start();
    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    EXPECT_LT(timer.elapsed(), 600);
    EXPECT_FALSE(volume.canControlVolume());
    EXPECT_EQ(volume.deviceName(), "System Output");
    volume.setVolume(0.4);
    slm::test::drainPostedEvents();
    EXPECT_FALSE(volume.canControlVolume());

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return volume.canControlVolume(); }, 3000ms));
    EXPECT_EQ(volume.deviceName(), "Late");

    // A restarted server is found again as well.
    server.kill();
    server.setSinks({Sink(QStringLiteral("later"), 48000, 2, {}, QStringLiteral("Later"))});
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return volume.deviceName() == "Later"; }, 3000ms));
    EXPECT_TRUE(volume.canControlVolume());
}

TEST(PulseDeviceControl, VolumeAndMuteSetElsewhereAreFollowedWithoutWritingBack)
{
    PulseServer server({Sink(QStringLiteral("out"), 48000, 2, {}, QStringLiteral("Out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    std::atomic<int> writes{0};
    SLMSystemOutputVolume volume(std::make_unique<CountingDevice>(writes));
    ASSERT_TRUE(volume.canControlVolume());
    bool offMainThread = false;
    QObject::connect(&volume, &SLMSystemOutputVolume::volumeChanged,
                     [&] { offMainThread |= QThread::currentThread() != qApp->thread(); });

    // What pactl does, media keys and the desktop's volume applet do too.
    ASSERT_EQ(server.pactl({"set-sink-volume", "out", "40%"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return std::abs(volume.volume() - 0.4) < 1e-4; }, 2000ms));

    // A muted sink plays at nothing, and the fader says so; the mute and the
    // volume under it stay the server's.
    ASSERT_EQ(server.pactl({"set-sink-mute", "out", "1"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return volume.volume() == 0.0; }, 2000ms));
    ASSERT_EQ(server.pactl({"set-sink-mute", "out", "0"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return std::abs(volume.volume() - 0.4) < 1e-4; }, 2000ms));

    slm::test::processEventsFor(200ms);
    EXPECT_EQ(writes.load(), 0);
    EXPECT_NEAR(maxOf(server.sinkVolumes(QStringLiteral("out"))) / norm, 0.4, 1.0 / norm);
    EXPECT_TRUE(server.pactl({"get-sink-mute", "out"}).output.contains(QStringLiteral("no")));
    EXPECT_TRUE(volume.canControlVolume());
    EXPECT_FALSE(offMainThread);
}

TEST(PulseDeviceControl, AFaderDragEndsWhereTheFaderStopsWithoutTheSinkPullingItBack)
{
    PulseServer server({Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    ASSERT_TRUE(volume.canControlVolume());
    // The server's answers to earlier steps arrive while later ones are
    // being sent; none of them may move the fader under the hand.
    std::vector<double> fromSystem;
    QObject::connect(&volume, &SLMSystemOutputVolume::volumeChanged, [&] {
        if (volume.isRefreshingFromSystem())
            fromSystem.push_back(volume.volume());
    });
    for (int step = 0; step <= 100; ++step) {
        volume.setVolume(0.2 + 0.006 * step);
        slm::test::processEventsFor(2ms);
    }
    EXPECT_TRUE(sinkLoudestNear(server, QStringLiteral("out"), 0.8));
    slm::test::processEventsFor(300ms);
    EXPECT_TRUE(fromSystem.empty()) << fromSystem.size() << " moves, the first to " << fromSystem.front();
    EXPECT_DOUBLE_EQ(volume.volume(), 0.8);
}

TEST(PulseDeviceControl, AStoppedServerHoldsUpNeitherWritesNorReads)
{
    PulseServer server({Sink(QStringLiteral("out"), 48000, 2, {}, QStringLiteral("Out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);
    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    ASSERT_TRUE(volume.canControlVolume());

    server.freeze();
    // A drag, and what the console reads when it is shown and repainted.
    // Each of these used to wait for the server; the bound is generous.
    qint64 slowest = 0;
    for (int step = 0; step <= 50; ++step) {
        slowest = std::max(slowest, millisecondsOf([&] { volume.setVolume(0.5 - 0.004 * step); }));
        slm::test::processEventsFor(1ms);
    }
    slowest = std::max(slowest, millisecondsOf([&] {
        volume.refresh();
        slm::test::drainPostedEvents();
    }));
    EXPECT_LT(slowest, 100);
    EXPECT_TRUE(volume.canControlVolume());
    EXPECT_EQ(volume.deviceName(), "Out");
    EXPECT_NEAR(volume.volume(), 0.3, 1.0 / norm);

    // Back again, the server gets the value the drag ended on.
    server.thaw();
    EXPECT_TRUE(sinkLoudestNear(server, QStringLiteral("out"), 0.3));
    slm::test::processEventsFor(200ms);
    EXPECT_NEAR(volume.volume(), 0.3, 1.0 / norm);
    EXPECT_TRUE(volume.canControlVolume());
}

TEST(PulseDeviceControl, TheMasterShowsTheSinkAgainWhenTheServerComesBack)
{
    PulseServer server({Sink(QStringLiteral("out"), 48000, 2, {}, QStringLiteral("Out"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-sink-volume", "out", "61%"}).exitCode, 0);
    PulseEnvironment env(server);
    std::atomic<int> writes{0};
    SLMSystemOutputVolume volume(std::make_unique<CountingDevice>(writes));
    ASSERT_TRUE(volume.canControlVolume());

    // Hung, with the console shown meanwhile, then back: it used to say
    // "FIXED" from then on.
    server.freeze();
    volume.refresh();
    server.thaw();
    slm::test::processEventsFor(300ms);
    EXPECT_TRUE(volume.canControlVolume());
    EXPECT_NEAR(volume.volume(), 0.61, 1e-4);

    // Gone: nothing to control. Back with its sink at 61 % (set once the
    // server answers, as a session's restore would): all of it shows again.
    server.kill();
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return !volume.canControlVolume(); }, 2000ms));
    server.setSinks({Sink(QStringLiteral("again"), 48000, 2, {}, QStringLiteral("Again"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-sink-volume", "again", "61%"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil(
        [&] { return volume.canControlVolume() && std::abs(volume.volume() - 0.61) < 1e-4; }, 4000ms));
    EXPECT_EQ(volume.deviceName(), "Again");
    EXPECT_EQ(writes.load(), 0);
}

} // namespace
