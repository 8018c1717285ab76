#include "control/MemoryDeviceControl.h"
#include "control/SLMSystemOutputVolume.h"
#include "support/EventLoop.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using Element = MemoryDeviceControl::Element;
using Device = MemoryDeviceControl::Device;

struct Fixture {
    explicit Fixture(std::function<void(MemoryDeviceControl&)> configure = {})
    {
        auto owned = std::make_unique<MemoryDeviceControl>();
        device = owned.get();
        if (configure)
            configure(*device);
        volume = std::make_unique<SLMSystemOutputVolume>(std::move(owned));
    }
    MemoryDeviceControl* device = nullptr;
    std::unique_ptr<SLMSystemOutputVolume> volume;
};

TEST(SLMSystemOutputVolume, ConstructionReadsNameAndVolumeWithoutWriting)
{
    Fixture f([](MemoryDeviceControl& d) {
        d.devices[1] = Device{QStringLiteral("Speakers"), {{0u, Element{0.25f}}}};
    });
    EXPECT_EQ(f.volume->volume(), 0.25);
    EXPECT_EQ(f.volume->deviceName(), "Speakers");
    EXPECT_TRUE(f.volume->canControlVolume());
    EXPECT_TRUE(f.device->writes.empty());
    EXPECT_FALSE(f.volume->isRefreshingFromSystem());
}

TEST(SLMSystemOutputVolume, OutOfRangeAssignmentsAreCorrectedAndWrittenOnce)
{
    Fixture f;
    std::vector<double> observed;
    QObject::connect(f.volume.get(), &SLMSystemOutputVolume::volumeChanged,
                     [&] { observed.push_back(f.volume->volume()); });

    f.volume->setVolume(1.3);
    EXPECT_EQ(observed, (std::vector<double>{1.3, 1.0}));
    ASSERT_EQ(f.device->writes.size(), 1u);
    EXPECT_EQ(f.device->writes[0].element, 0u);
    EXPECT_EQ(f.device->writes[0].value, 1.0f);

    observed.clear();
    f.device->writes.clear();
    f.volume->setVolume(-0.2);
    EXPECT_EQ(observed, (std::vector<double>{-0.2, 0.0}));
    ASSERT_EQ(f.device->writes.size(), 1u);
    EXPECT_EQ(f.device->writes[0].value, 0.0f);
    EXPECT_EQ(f.volume->volume(), 0.0);
}

TEST(SLMSystemOutputVolume, NotANumberFallsBackToThePreviousVolume)
{
    Fixture f;
    f.volume->setVolume(0.3);
    f.device->writes.clear();
    std::vector<double> observed;
    QObject::connect(f.volume.get(), &SLMSystemOutputVolume::volumeChanged,
                     [&] { observed.push_back(f.volume->volume()); });

    f.volume->setVolume(std::nan(""));
    ASSERT_EQ(observed.size(), 2u);
    EXPECT_TRUE(std::isnan(observed[0]));
    EXPECT_EQ(observed[1], 0.3);
    EXPECT_EQ(f.volume->volume(), 0.3);
    ASSERT_EQ(f.device->writes.size(), 1u);
    EXPECT_EQ(f.device->writes[0].value, 0.3f);
}

TEST(SLMSystemOutputVolume, ChannelVolumesAreAveragedAndWrittenPerChannel)
{
    Fixture f([](MemoryDeviceControl& d) {
        d.devices[1] = Device{QStringLiteral("Headphones"), {{1u, Element{0.5f}}, {2u, Element{0.7f}}}};
    });
    EXPECT_EQ(f.volume->volume(), static_cast<double>((0.5f + 0.7f) / 2.0f));
    EXPECT_NEAR(f.volume->volume(), 0.6, 1e-7);

    f.volume->setVolume(0.4);
    ASSERT_EQ(f.device->writes.size(), 2u);
    EXPECT_EQ(f.device->writes[0].element, 1u);
    EXPECT_EQ(f.device->writes[1].element, 2u);
    EXPECT_EQ(f.device->writes[0].value, 0.4f);
    EXPECT_EQ(f.device->writes[1].value, 0.4f);

    // A main element that cannot be read leaves the channels to tell.
    Fixture odd([](MemoryDeviceControl& d) {
        Element broken{0.9f};
        broken.readable = false;
        d.devices[1] = Device{QStringLiteral("Odd"), {{0u, broken}, {3u, Element{0.3f}}}};
    });
    EXPECT_NEAR(odd.volume->volume(), 0.3, 1e-7);
}

TEST(SLMSystemOutputVolume, WriteOutcomeArrivesOneMainLoopTurnLater)
{
    Fixture f;
    f.device->devices[1].elements[0].settable = false;
    f.volume->setVolume(0.5);
    EXPECT_TRUE(f.volume->canControlVolume()) << "the outcome must not be applied synchronously";
    slm::test::drainPostedEvents();
    EXPECT_FALSE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->volume(), 0.5);
    EXPECT_TRUE(f.device->writes.empty());
}

TEST(SLMSystemOutputVolume, SuccessfulWriteRestoresControlAndNamesTheDevice)
{
    Fixture f;
    f.device->devices[1].elements[0].readable = false;
    f.volume->refresh();
    EXPECT_FALSE(f.volume->canControlVolume());
    f.device->devices[1].name = QStringLiteral("Renamed");
    f.volume->setVolume(0.8);
    slm::test::drainPostedEvents();
    EXPECT_TRUE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->deviceName(), "Renamed");
}

TEST(SLMSystemOutputVolume, DeviceWithoutVolumeControl)
{
    Fixture f([](MemoryDeviceControl& d) { d.devices[1] = Device{std::nullopt, {}}; });
    EXPECT_FALSE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->deviceName(), "System Output");
    EXPECT_EQ(f.volume->volume(), 1.0);

    f.volume->setVolume(0.3);
    EXPECT_EQ(f.volume->volume(), 0.3);
    slm::test::drainPostedEvents();
    EXPECT_FALSE(f.volume->canControlVolume());
    EXPECT_TRUE(f.device->writes.empty());
}

TEST(SLMSystemOutputVolume, NoDefaultDeviceKeepsNameAndVolumeAndDropsWrites)
{
    Fixture f;
    f.device->defaultDevice.reset();
    f.volume->refresh();
    EXPECT_FALSE(f.volume->canControlVolume());
    EXPECT_EQ(f.volume->deviceName(), "Memory Output");
    f.volume->setVolume(0.6);
    EXPECT_EQ(f.volume->volume(), 0.6);
    EXPECT_TRUE(f.device->writes.empty());
    EXPECT_FALSE(f.volume->canControlVolume());
}

TEST(SLMSystemOutputVolume, DefaultDeviceSwitchRefreshesOnTheMainLoop)
{
    Fixture f;
    f.device->devices[7] = Device{QStringLiteral("USB DAC"), {{0u, Element{0.42f}}}};
    f.device->switchDefaultDevice(7);
    EXPECT_EQ(f.volume->deviceName(), "Memory Output") << "the listener must post, not refresh inline";
    slm::test::drainPostedEvents();
    EXPECT_EQ(f.volume->deviceName(), "USB DAC");
    EXPECT_EQ(f.volume->volume(), static_cast<double>(0.42f));
    EXPECT_TRUE(f.device->writes.empty());
}

TEST(SLMSystemOutputVolume, VolumeChangedElsewhereIsFollowedOnceWithoutWritingBack)
{
    Fixture f;
    std::vector<double> observed;
    std::vector<bool> guarded;
    QObject::connect(f.volume.get(), &SLMSystemOutputVolume::volumeChanged, [&] {
        observed.push_back(f.volume->volume());
        guarded.push_back(f.volume->isRefreshingFromSystem());
    });
    // Someone drags the desktop's slider: a burst of changes, one refresh.
    for (float v : {0.9f, 0.7f, 0.55f})
        f.device->changeVolumeElsewhere(1, 0, v);
    EXPECT_TRUE(observed.empty()) << "the listener must post, not refresh inline";
    slm::test::drainPostedEvents();
    EXPECT_EQ(observed, (std::vector<double>{static_cast<double>(0.55f)}));
    EXPECT_EQ(guarded, (std::vector<bool>{true}));
    EXPECT_TRUE(f.device->writes.empty());

    // Later changes are followed as well, and the fader still writes.
    f.device->changeVolumeElsewhere(1, 0, 0.2f);
    slm::test::drainPostedEvents();
    EXPECT_EQ(f.volume->volume(), static_cast<double>(0.2f));
    f.volume->setVolume(0.6);
    ASSERT_EQ(f.device->writes.size(), 1u);
    EXPECT_EQ(f.device->writes[0].value, 0.6f);
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

TEST(SLMSystemOutputVolume, TeardownRemovesTheListener)
{
    MemoryDeviceControl device;
    {
        SLMSystemOutputVolume volume(std::make_unique<BorrowedDevice>(device));
        EXPECT_TRUE(device.hasListener());
    }
    EXPECT_FALSE(device.hasListener());
}

TEST(SLMSystemOutputVolume, FailedListenerRegistrationLeavesEverythingElseWorking)
{
    auto failing = std::make_unique<MemoryDeviceControl>();
    failing->listenerRegistrationFails = true;
    MemoryDeviceControl* device = failing.get();
    SLMSystemOutputVolume volume(std::move(failing));
    EXPECT_FALSE(device->hasListener());
    volume.setVolume(0.2);
    ASSERT_EQ(device->writes.size(), 1u);
    EXPECT_EQ(device->writes[0].value, 0.2f);
}

} // namespace
