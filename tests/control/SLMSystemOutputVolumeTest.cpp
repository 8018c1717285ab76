#include "control/MemoryDeviceControl.h"
#include "control/SLMSystemOutputVolume.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using Element = MemoryDeviceControl::Element;
using Device = MemoryDeviceControl::Device;
using slm::test::drainPostedEvents;

struct Fixture {
    explicit Fixture(std::function<void(MemoryDeviceControl&)> configure = {})
    {
        auto owned = std::make_unique<MemoryDeviceControl>();
        device = owned.get();
        if (configure)
            configure(*device);
        volume = std::make_unique<SLMSystemOutputVolume>(std::move(owned));
        QObject::connect(volume.get(), &SLMSystemOutputVolume::volumeChanged, [this] {
            observed.push_back(volume->volume());
            guarded.push_back(volume->isRefreshingFromSystem());
        });
    }
    std::vector<float> written() const
    {
        std::vector<float> values;
        for (const auto& w : device->writes)
            values.push_back(w.value);
        return values;
    }
    MemoryDeviceControl* device = nullptr;
    std::unique_ptr<SLMSystemOutputVolume> volume;
    std::vector<double> observed;
    std::vector<bool> guarded;
};

TEST(SLMSystemOutputVolume, ReadsTheDeviceAtStartWithoutWritingAndAveragesItsChannels)
{
    Fixture whole([](MemoryDeviceControl& d) { d.devices[1] = Device{QStringLiteral("Speakers"), {{0u, Element{0.25f}}}}; });
    EXPECT_EQ(whole.volume->volume(), 0.25);
    EXPECT_EQ(whole.volume->deviceName(), "Speakers");
    EXPECT_TRUE(whole.volume->canControlVolume());
    EXPECT_TRUE(whole.device->writes.empty());

    Fixture channels([](MemoryDeviceControl& d) {
        d.devices[1] = Device{QStringLiteral("Headphones"), {{1u, Element{0.5f}}, {2u, Element{0.7f}}}};
    });
    EXPECT_EQ(channels.volume->volume(), static_cast<double>((0.5f + 0.7f) / 2.0f));
    channels.volume->setVolume(0.4);
    ASSERT_EQ(channels.device->writes.size(), 2u);
    EXPECT_EQ(channels.device->writes[0].element, 1u);
    EXPECT_EQ(channels.device->writes[1].element, 2u);
    EXPECT_EQ(channels.written(), (std::vector<float>{0.4f, 0.4f}));

    // A main element that cannot be read leaves the channels to tell.
    Fixture odd([](MemoryDeviceControl& d) {
        Element broken{0.9f};
        broken.readable = false;
        d.devices[1] = Device{QStringLiteral("Odd"), {{0u, broken}, {3u, Element{0.3f}}}};
    });
    EXPECT_NEAR(odd.volume->volume(), 0.3, 1e-7);
}

// Out of range or not a number: the model announces the value it was given,
// then the corrected one, and the device gets only the corrected one.
TEST(SLMSystemOutputVolume, BadAssignmentsAreCorrectedAndWrittenOnce)
{
    Fixture f;
    f.volume->setVolume(1.3);
    f.volume->setVolume(-0.2);
    f.volume->setVolume(0.3);
    f.volume->setVolume(std::nan(""));
    ASSERT_EQ(f.observed.size(), 7u);
    EXPECT_EQ(std::vector<double>(f.observed.begin(), f.observed.begin() + 5), (std::vector<double>{1.3, 1.0, -0.2, 0.0, 0.3}));
    EXPECT_TRUE(std::isnan(f.observed[5]));
    EXPECT_EQ(f.observed[6], 0.3);
    EXPECT_EQ(f.volume->volume(), 0.3);
    EXPECT_EQ(f.written(), (std::vector<float>{1.0f, 0.0f, 0.3f, 0.3f}));
    EXPECT_EQ(f.device->writes[0].element, 0u);
}

TEST(SLMSystemOutputVolume, AFailedWriteIsReportedALoopTurnLaterAndASuccessfulOneRestoresControl)
{
    Fixture f;
    f.device->devices[1].elements[0].settable = false;
    f.volume->setVolume(0.5);
    EXPECT_TRUE(f.volume->canControlVolume()) << "the outcome must not be applied synchronously";
    drainPostedEvents();
    EXPECT_FALSE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->volume(), 0.5);
    EXPECT_TRUE(f.device->writes.empty());

    f.device->devices[1].elements[0].settable = true;
    f.device->devices[1].name = QStringLiteral("Renamed");
    f.volume->setVolume(0.8);
    drainPostedEvents();
    EXPECT_TRUE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->deviceName(), "Renamed");
}

TEST(SLMSystemOutputVolume, WithoutAVolumeOrADefaultDeviceTheFaderStillMovesAndNothingIsWritten)
{
    Fixture mute([](MemoryDeviceControl& d) { d.devices[1] = Device{std::nullopt, {}}; });
    EXPECT_FALSE(mute.volume->canControlVolume());
    EXPECT_EQ(mute.volume->deviceName(), "System Output");
    EXPECT_EQ(mute.volume->volume(), 1.0);

    Fixture gone;
    gone.device->defaultDevice.reset();
    gone.volume->refresh();
    EXPECT_EQ(gone.volume->deviceName(), "Memory Output") << "the last name is kept";
    for (Fixture* f : {&mute, &gone}) {
        f->volume->setVolume(0.3);
        drainPostedEvents();
        EXPECT_EQ(f->volume->volume(), 0.3);
        EXPECT_FALSE(f->volume->canControlVolume());
        EXPECT_TRUE(f->device->writes.empty());
    }
}

TEST(SLMSystemOutputVolume, ChangesElsewhereAreFollowedOnTheMainLoopOnceWithoutWritingBack)
{
    Fixture f;
    // Someone drags the desktop's slider: a burst of changes, one refresh.
    for (float v : {0.9f, 0.7f, 0.55f})
        f.device->changeVolumeElsewhere(1, 0, v);
    EXPECT_TRUE(f.observed.empty()) << "the listener must post, not refresh inline";
    drainPostedEvents();
    EXPECT_EQ(f.observed, (std::vector<double>{static_cast<double>(0.55f)}));
    EXPECT_EQ(f.guarded, (std::vector<bool>{true}));

    f.device->devices[7] = Device{QStringLiteral("USB DAC"), {{0u, Element{0.42f}}}};
    f.device->switchDefaultDevice(7);
    EXPECT_EQ(f.volume->deviceName(), "Memory Output") << "the listener must post, not refresh inline";
    drainPostedEvents();
    EXPECT_EQ(f.volume->deviceName(), "USB DAC");
    EXPECT_EQ(f.volume->volume(), static_cast<double>(0.42f));
    EXPECT_TRUE(f.device->writes.empty());

    f.volume->setVolume(0.6);
    EXPECT_EQ(f.written(), (std::vector<float>{0.6f}));
}

// Lends a device that outlives the volume object, to see what teardown leaves behind.
class BorrowedDevice : public OutputDeviceControl {
public:
    explicit BorrowedDevice(MemoryDeviceControl& d) : m_d(d) {}
    std::optional<DeviceId> defaultOutputDevice() override { return m_d.defaultOutputDevice(); }
    std::optional<QString> deviceName(DeviceId id) override { return m_d.deviceName(id); }
    bool hasVolume(DeviceId id, unsigned e) override { return m_d.hasVolume(id, e); }
    std::optional<float> volume(DeviceId id, unsigned e) override { return m_d.volume(id, e); }
    bool isVolumeSettable(DeviceId id, unsigned e) override { return m_d.isVolumeSettable(id, e); }
    bool setVolume(DeviceId id, unsigned e, float v) override { return m_d.setVolume(id, e, v); }
    bool addDeviceListener(std::function<void()> l) override { return m_d.addDeviceListener(std::move(l)); }
    void removeDeviceListener() override { m_d.removeDeviceListener(); }

private:
    MemoryDeviceControl& m_d;
};

TEST(SLMSystemOutputVolume, TheListenerGoesWithTheModelAndItsFailureCostsNothingElse)
{
    MemoryDeviceControl device;
    {
        SLMSystemOutputVolume volume(std::make_unique<BorrowedDevice>(device));
        EXPECT_TRUE(device.hasListener());
    }
    EXPECT_FALSE(device.hasListener());

    device.listenerRegistrationFails = true;
    SLMSystemOutputVolume volume(std::make_unique<BorrowedDevice>(device));
    EXPECT_FALSE(device.hasListener());
    volume.setVolume(0.2);
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(device.writes[0].value, 0.2f);
}

} // namespace
