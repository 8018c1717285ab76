#include "control/PulseDeviceControl.h"
#include "control/SLMSystemOutputVolume.h"
#include "support/EventLoop.h"
#include "support/PulseServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

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
    bool addDefaultDeviceListener(std::function<void()> l) override { return m_pulse.addDefaultDeviceListener(std::move(l)); }
    void removeDefaultDeviceListener() override { m_pulse.removeDefaultDeviceListener(); }

private:
    PulseDeviceControl m_pulse;
    std::atomic<int>& m_writes;
};

unsigned maxOf(const std::vector<unsigned>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

TEST(PulseDeviceControl, TheVolumeModelReadsAndWritesTheDefaultSink)
{
    PulseServer server({Sink(QStringLiteral("speakers"), 48000, 2, {}, QStringLiteral("Speakers"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-sink-volume", "speakers", "30%", "50%"}).exitCode, 0);
    PulseEnvironment env(server);

    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>());
    EXPECT_TRUE(volume.canControlVolume());
    EXPECT_EQ(volume.deviceName(), "Speakers");
    EXPECT_EQ(volume.volume(), 0.5) << "the loudest channel is the sink's volume";

    // Writing scales both channels and keeps their balance.
    volume.setVolume(0.8);
    std::vector<unsigned> raw = server.sinkVolumes(QStringLiteral("speakers"));
    ASSERT_EQ(raw.size(), 2u);
    EXPECT_NEAR(raw[1] / norm, 0.8, 1.0 / norm);
    EXPECT_NEAR(static_cast<double>(raw[0]) / raw[1], 0.6, 1e-4);
    slm::test::drainPostedEvents();
    EXPECT_TRUE(volume.canControlVolume());

    volume.setVolume(1.3);
    EXPECT_EQ(volume.volume(), 1.0);
    raw = server.sinkVolumes(QStringLiteral("speakers"));
    EXPECT_EQ(maxOf(raw), 65536u);
    EXPECT_NEAR(static_cast<double>(raw[0]) / raw[1], 0.6, 1e-4);

    volume.setVolume(-0.2);
    EXPECT_EQ(volume.volume(), 0.0);
    EXPECT_EQ(server.sinkVolumes(QStringLiteral("speakers")), (std::vector<unsigned>{0, 0}));

    // Above 100% on the server still reads as full scale.
    ASSERT_EQ(server.pactl({"set-sink-volume", "speakers", "150%"}).exitCode, 0);
    volume.refresh();
    EXPECT_EQ(volume.volume(), 1.0);
    EXPECT_EQ(maxOf(server.sinkVolumes(QStringLiteral("speakers"))), 98304u) << "a refresh wrote to the sink";
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
    std::vector<unsigned> raw = server.sinkVolumes(QStringLiteral("three"));
    ASSERT_EQ(raw.size(), 3u);
    EXPECT_EQ(raw[2], 16384u);
    EXPECT_NEAR(raw[0] / norm, 0.2, 1e-4);
    EXPECT_NEAR(raw[1] / norm, 0.4, 1e-4);

    EXPECT_FALSE(control.setVolume(*device, 4, 0.5f));
    EXPECT_FALSE(control.volume(*device + 100, 0)) << "a sink that does not exist";
}

TEST(PulseDeviceControl, ANewDefaultSinkIsShownOnTheMainThreadWithoutWriting)
{
    PulseServer server({Sink(QStringLiteral("speakers"), 48000, 2, {}, QStringLiteral("Speakers")),
                        Sink(QStringLiteral("headphones"), 48000, 2, {}, QStringLiteral("Headphones"))});
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

TEST(PulseDeviceControl, NoListenerCallOnceRemoved)
{
    PulseServer server({Sink(QStringLiteral("a")), Sink(QStringLiteral("b"))});
    ASSERT_TRUE(server.start());
    ASSERT_EQ(server.pactl({"set-default-sink", "a"}).exitCode, 0);
    PulseEnvironment env(server);

    PulseDeviceControl control;
    std::atomic<int> calls{0};
    ASSERT_TRUE(control.addDefaultDeviceListener([&] { ++calls; }));
    ASSERT_TRUE(control.defaultOutputDevice());

    ASSERT_EQ(server.pactl({"set-default-sink", "b"}).exitCode, 0);
    EXPECT_TRUE(slm::test::processEventsUntil([&] { return calls.load() == 1; }, 1000ms));
    // Other changes of the server are not default-sink changes.
    ASSERT_EQ(server.pactl({"set-sink-volume", "b", "20%"}).exitCode, 0);
    ASSERT_EQ(server.pactl({"set-default-source", "a.monitor"}).exitCode, 0);
    slm::test::processEventsFor(200ms);
    EXPECT_EQ(calls.load(), 1);

    control.removeDefaultDeviceListener();
    ASSERT_EQ(server.pactl({"set-default-sink", "a"}).exitCode, 0);
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

TEST(PulseDeviceControl, AStuckServerCostsOneTimeoutThenCallsFailAtOnce)
{
    PulseServer server({Sink(QStringLiteral("out"))});
    ASSERT_TRUE(server.start());
    PulseEnvironment env(server);

    // A long call timeout and back-off keep the bounds far from what a
    // loaded machine adds: the first call waits out one timeout (1 s), and
    // without the back-off the next two would wait 2 s more.
    PulseDeviceControl::Timing timing;
    timing.call = std::chrono::milliseconds(1000);
    timing.backoffAfterTimeout = std::chrono::milliseconds(60000);
    SLMSystemOutputVolume volume(std::make_unique<PulseDeviceControl>(timing));
    ASSERT_TRUE(volume.canControlVolume());

    server.freeze();
    QElapsedTimer timer;
    timer.start();
    volume.refresh();
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_FALSE(volume.canControlVolume());

    timer.restart();
    volume.setVolume(0.5);
    volume.refresh();
    EXPECT_LT(timer.elapsed(), 900);
    EXPECT_EQ(volume.volume(), 0.5);
    server.thaw();
}

} // namespace
