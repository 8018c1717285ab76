#include "analysis/SLMAudioSpectrum.h"

#include "analysis/SpectrumAnalysis.h"
#include "math/VectorState.h"

#include <boost/lockfree/policies.hpp>
#include <boost/lockfree/queue.hpp>
#include <boost/lockfree/spsc_queue.hpp>

#include <QMetaObject>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <thread>

#include <pthread.h>
#include <semaphore.h>

static_assert(SLMAudioSpectrum::bandCount == slm::spectrum::bandCount);
static_assert(SLMAudioSpectrum::floorDB == slm::spectrum::floorDB);
static_assert(SLMAudioSpectrum::slotCount < 256, "slot indices travel as bytes");

namespace {

// sem_post is async-signal-safe: an atomic increment, and a futex wake only
// when the worker sleeps. That is what the render thread may afford.
class WakeSignal {
public:
    WakeSignal() { sem_init(&m_sem, 0, 0); }
    ~WakeSignal() { sem_destroy(&m_sem); }
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    void post() { sem_post(&m_sem); }
    void wait()
    {
        while (sem_wait(&m_sem) != 0 && errno == EINTR) {
        }
    }

private:
    sem_t m_sem;
};

} // namespace

// A slot travels free -> ready (ingest) -> finished (worker) -> free (main
// thread, once its bands are published). Results therefore never outnumber
// the slots, and a stalled main thread throttles ingest instead of piling up
// results.
struct SLMAudioSpectrum::Worker {
    struct Slot {
        std::array<float, slotLength> samples;
        std::size_t length = 0;
        double sampleRate = 0.0;
        slm::spectrum::Bands bands{};
    };
    using Index = std::uint8_t;
    template <typename T>
    using SharedQueue = boost::lockfree::queue<T, boost::lockfree::capacity<slotCount>>;

    explicit Worker(SLMAudioSpectrum* owner)
        : owner(owner)
    {
        for (int i = 0; i < slotCount; ++i)
            freeSlots.bounded_push(static_cast<Index>(i));
        thread = std::thread([this] { run(); });
    }

    ~Worker()
    {
        stopping.store(true, std::memory_order_relaxed);
        wake.post();
        thread.join();
    }

    void run()
    {
        pthread_setname_np(pthread_self(), "slm-spectrum");
        for (;;) {
            wake.wait();
            // Blocks still waiting at shutdown are abandoned.
            if (stopping.load(std::memory_order_relaxed))
                return;
            Index index;
            if (!readySlots.pop(index))
                continue;
            Slot& slot = pool[index];
            slm::cleanUpperVectorState();
            previousBands = slm::spectrum::analyse(std::span(slot.samples.data(), slot.length),
                                                   slot.sampleRate, previousBands);
            slot.bands = previousBands;
            finishedSlots.push(index);
            completed.fetch_add(1, std::memory_order_release);
            completed.notify_all();
            // The owner outlives this thread (its destructor joins it before
            // the QObject goes), and Qt discards calls still queued for a
            // destroyed receiver: the posted call can never dangle.
            QMetaObject::invokeMethod(owner, [o = owner] { o->publishFinished(); },
                                      Qt::QueuedConnection);
        }
    }

    SLMAudioSpectrum* const owner;
    std::array<Slot, slotCount> pool;
    SharedQueue<Index> freeSlots;
    SharedQueue<Index> readySlots;
    boost::lockfree::spsc_queue<Index, boost::lockfree::capacity<slotCount>> finishedSlots;
    WakeSignal wake;
    std::atomic<bool> stopping{false};
    std::atomic<std::uint32_t> submitted{0};
    std::atomic<std::uint32_t> completed{0};
    std::atomic<std::uint64_t> dropped{0};
    // The smoothing memory; touched only by the worker thread.
    slm::spectrum::Bands previousBands = slm::spectrum::floorBands();
    std::thread thread;
};

SLMAudioSpectrum::SLMAudioSpectrum(QObject* parent)
    : QObject(parent)
    , m_bands(bandCount, floorDB)
    , m_worker(std::make_unique<Worker>(this))
{
}

SLMAudioSpectrum::~SLMAudioSpectrum()
{
    // Stop and join the worker while this object is still whole.
    m_worker.reset();
}

QList<double> SLMAudioSpectrum::centerFrequencies() const
{
    return QList<double>(slm::spectrum::centerFrequencies.begin(), slm::spectrum::centerFrequencies.end());
}

std::uint64_t SLMAudioSpectrum::droppedBlockCount() const
{
    return m_worker->dropped.load(std::memory_order_relaxed);
}

void SLMAudioSpectrum::ingest(std::span<const float> samples, double sampleRate)
{
    if (samples.empty() || !(sampleRate > 0.0))
        return;
    Worker& w = *m_worker;
    Worker::Index index;
    if (samples.size() > slotLength || !w.freeSlots.pop(index)) {
        w.dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    Worker::Slot& slot = w.pool[index];
    std::copy(samples.begin(), samples.end(), slot.samples.begin());
    slot.length = samples.size();
    slot.sampleRate = sampleRate;
    // Cannot fail: the queue holds as many entries as there are slots.
    w.readySlots.bounded_push(index);
    w.submitted.fetch_add(1, std::memory_order_release);
    w.wake.post();
}

void SLMAudioSpectrum::waitUntilIdle()
{
    Worker& w = *m_worker;
    const std::uint32_t target = w.submitted.load(std::memory_order_acquire);
    for (;;) {
        const std::uint32_t done = w.completed.load(std::memory_order_acquire);
        // Wrap-safe "done >= target".
        if (static_cast<std::int32_t>(done - target) >= 0)
            break;
        w.completed.wait(done, std::memory_order_acquire);
    }
    publishFinished();
}

void SLMAudioSpectrum::publishFinished()
{
    Worker& w = *m_worker;
    Worker::Index index;
    while (w.finishedSlots.pop(index)) {
        const slm::spectrum::Bands& result = w.pool[index].bands;
        QList<double> bands(result.begin(), result.end());
        w.freeSlots.bounded_push(index);
        publish(bands);
    }
}

void SLMAudioSpectrum::publish(const QList<double>& bands)
{
    emit objectWillChange();
    m_bands = bands;
    emit bandsChanged();
}
