// The render path must never touch the heap. This executable counts every
// allocation made on a thread while it is inside the render callback: it
// replaces operator new, and (outside sanitizer builds, which intercept the C
// allocator themselves) malloc and its relatives too.

#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool insideRender = false;
std::atomic<long> renderAllocations{0};

void noteAllocation()
{
    if (insideRender)
        renderAllocations.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size)
{
    noteAllocation();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    noteAllocation();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}
void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    noteAllocation();
    return __libc_memalign(alignment, size);
}
}
#endif

void* operator new(std::size_t size)
{
    noteAllocation();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    noteAllocation();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// An offline output whose pulls are marked as the render path.
class MarkedOutput : public OfflineAudioOutput {
public:
    using OfflineAudioOutput::OfflineAudioOutput;
    void setRenderCallback(RenderCallback callback) override
    {
        OfflineAudioOutput::setRenderCallback([callback = std::move(callback)](std::uint32_t n, AudioBufferList buffers) {
            insideRender = true;
            callback(n, buffers);
            insideRender = false;
        });
    }
};

long allocationsWhile(const std::function<void()>& work)
{
    renderAllocations = 0;
    insideRender = true;
    work();
    insideRender = false;
    return renderAllocations.load();
}

} // namespace

TEST(RenderAllocation, TheCounterSeesAllocations)
{
    // Through a volatile pointer, so the compiler cannot drop the pair.
    static void* volatile kept = nullptr;
    EXPECT_GE(allocationsWhile([] {
                  kept = new int(3);
                  delete static_cast<int*>(kept);
              }),
              1);
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_GE(allocationsWhile([] {
                  kept = std::malloc(24);
                  std::free(kept);
              }),
              1);
#endif
    EXPECT_EQ(allocationsWhile([] {}), 0);
}

TEST(RenderAllocation, RenderingEveryVoiceEventAndHandOffAllocatesNothing)
{
    const double rate = 16000.0;
    auto device = std::make_unique<MarkedOutput>(rate, 6);
    MarkedOutput& output = *device;
    SLMAudioEngine engine(std::move(device), std::make_unique<MemoryDeviceControl>());
    engine.setWallClock(29.0, 0);
    ASSERT_TRUE(engine.isRunning());

    renderAllocations = 0;
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
    EXPECT_EQ(renderAllocations.load(), 0);
    EXPECT_TRUE(glowwormCalled);
    EXPECT_TRUE(anomalySounded);
    EXPECT_TRUE(silentReported);
    EXPECT_GE(metersDelivered, 21 * 30 / 2) << "one hand-off every second 500-frame block";
    EXPECT_EQ(engine.spectrum()->droppedBlockCount(), 0u);
}
