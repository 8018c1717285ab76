// The render path must never touch the heap: this executable counts every
// allocation made on a thread while it is inside the render callback.

#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

namespace {

// An offline output whose pulls are marked as the render path.
class MarkedOutput : public OfflineAudioOutput {
public:
    using OfflineAudioOutput::OfflineAudioOutput;
    void setRenderCallback(RenderCallback callback) override
    {
        OfflineAudioOutput::setRenderCallback([callback = std::move(callback)](std::uint32_t n, AudioBufferList buffers) {
            slm::test::countAllocationsOnThisThread(true);
            callback(n, buffers);
            slm::test::countAllocationsOnThisThread(false);
        });
    }
};

} // namespace

TEST(RenderAllocation, TheCounterSeesAllocations)
{
    // Through a volatile pointer, so the compiler cannot drop the pair.
    static void* volatile kept = nullptr;
    EXPECT_GE(slm::test::allocationsDuring([] {
                  kept = new int(3);
                  delete static_cast<int*>(kept);
              }),
              1);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_GE(slm::test::allocationsDuring([] {
                  kept = std::malloc(24);
                  std::free(kept);
              }),
              1);
#endif
    EXPECT_EQ(slm::test::allocationsDuring([] {}), 0);
}

TEST(RenderAllocation, RenderingEveryVoiceEventAndHandOffAllocatesNothing)
{
    const double rate = 16000.0;
    auto device = std::make_unique<MarkedOutput>(rate, 6);
    MarkedOutput& output = *device;
    SLMAudioEngine engine(std::move(device), std::make_unique<MemoryDeviceControl>());
    engine.setWallClock(29.0, 0);
    ASSERT_TRUE(engine.isRunning());

    slm::test::resetCountedAllocations();
    bool glowwormCalled = false, anomalySounded = false, silentReported = false;
    int metersDelivered = 0;
    // 21 s: the fade, glowworm calls, the first anomaly, the chime, a freeze,
    // a change of every kind of control, meter and spectrum hand-offs, pause
    // and play fades, one of them turned round, and a report of silence.
    for (int block = 0; block < 21 * 16000 / 500; ++block) {
        if (block == 200) {
            engine.parameters()->setFieldSolo(true);
            engine.parameters()->setGlowwormBrightness(0.9);
            engine.setIsFrozen(true);
        }
        if (block == 260) {
            engine.parameters()->setFieldSolo(false);
            engine.setIsFrozen(false);
            engine.setWallClock(30.2, 0);
        }
        if (block == 300 || block == 330)
            engine.pause();
        if (block == 306 || block == 370)
            engine.play();
        output.render(500);
        metersDelivered += engine.deliverPendingMeterUpdates();
        engine.spectrum()->waitUntilIdle();
        silentReported = silentReported || engine.synthesisState().reportedSilentCommand != 0;
        glowwormCalled = glowwormCalled || engine.synthesisState().glowworm.active;
        anomalySounded = anomalySounded || engine.synthesisState().anomaly.active;
    }
    EXPECT_EQ(slm::test::countedAllocations(), 0);
    EXPECT_TRUE(glowwormCalled);
    EXPECT_TRUE(anomalySounded);
    EXPECT_TRUE(silentReported);
    EXPECT_GE(metersDelivered, 21 * 30 / 2) << "one hand-off every second 500-frame block";
    EXPECT_EQ(engine.spectrum()->droppedBlockCount(), 0u);
}
