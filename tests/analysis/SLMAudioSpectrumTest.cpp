#include "analysis/SLMAudioSpectrum.h"
#include "analysis/SpectrumAnalysis.h"

#include "SpectrumSignals.h"
#include "support/EventLoop.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <thread>
#include <vector>

namespace {

using slm::test::sineBlock;

constexpr int band1000 = 14;

QList<double> toList(const slm::spectrum::Bands& bands)
{
    return QList<double>(bands.begin(), bands.end());
}

TEST(SLMAudioSpectrum, StartsAtTheFloorWithTheBandCentres)
{
    SLMAudioSpectrum spectrum;
    EXPECT_EQ(spectrum.bands(), QList<double>(24, -72.0));
    EXPECT_EQ(spectrum.centerFrequencies(), toList(slm::spectrum::centerFrequencies));
}

// Every block is smoothed against the one before it, and each result is one
// announced change of `bands`.
TEST(SLMAudioSpectrum, PublishesOneChangePerBlockInOrder)
{
    SLMAudioSpectrum spectrum;
    QSignalSpy announced(&spectrum, &SLMAudioSpectrum::objectWillChange);
    QSignalSpy changed(&spectrum, &SLMAudioSpectrum::bandsChanged);

    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    const std::vector<float> silence(4096, 0.0f);
    spectrum.ingest(sine, 48000.0);
    spectrum.ingest(silence, 48000.0);
    spectrum.ingest(silence, 48000.0);
    spectrum.waitUntilIdle();

    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(announced.count(), 3);
    slm::spectrum::Bands expected = slm::spectrum::floorBands();
    for (const auto* block : {&sine, &silence, &silence})
        expected = slm::spectrum::analyse(*block, 48000.0, expected);
    EXPECT_EQ(spectrum.bands(), toList(expected));
    EXPECT_GT(spectrum.bands()[band1000], -72.0);

    // The queued notifications of those results find nothing left to publish.
    slm::test::processEventsFor(std::chrono::milliseconds(30));
    EXPECT_EQ(changed.count(), 3);
}

TEST(SLMAudioSpectrum, IgnoresEmptyBlocksAndBadRates)
{
    SLMAudioSpectrum spectrum;
    QSignalSpy changed(&spectrum, &SLMAudioSpectrum::bandsChanged);
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    spectrum.ingest({}, 48000.0);
    spectrum.ingest(sine, 0.0);
    spectrum.ingest(sine, -1.0);
    spectrum.ingest(sine, std::numeric_limits<double>::quiet_NaN());
    spectrum.waitUntilIdle();
    slm::test::processEventsFor(std::chrono::milliseconds(30));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(spectrum.droppedBlockCount(), 0u);

    // The smoothing memory is untouched too: the next block starts from the floor.
    spectrum.ingest(sine, 48000.0);
    spectrum.waitUntilIdle();
    EXPECT_EQ(spectrum.bands(), toList(slm::spectrum::analyse(sine, 48000.0, slm::spectrum::floorBands())));
}

TEST(SLMAudioSpectrum, DropsWhatItCannotHoldInsteadOfWaiting)
{
    SLMAudioSpectrum spectrum;
    QSignalSpy changed(&spectrum, &SLMAudioSpectrum::bandsChanged);

    const std::vector<float> tooLong(SLMAudioSpectrum::slotLength + 1, 0.5f);
    spectrum.ingest(tooLong, 48000.0);
    EXPECT_EQ(spectrum.droppedBlockCount(), 1u);

    // Slots come back only once the main thread has published their result,
    // so without an event loop the pool runs dry after slotCount blocks.
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0, SLMAudioSpectrum::slotLength);
    for (int i = 0; i < SLMAudioSpectrum::slotCount + 3; ++i)
        spectrum.ingest(sine, 48000.0);
    EXPECT_EQ(spectrum.droppedBlockCount(), 4u);
    spectrum.waitUntilIdle();
    EXPECT_EQ(changed.count(), SLMAudioSpectrum::slotCount);

    // Published slots are free again.
    for (int i = 0; i < SLMAudioSpectrum::slotCount; ++i)
        spectrum.ingest(sine, 48000.0);
    spectrum.waitUntilIdle();
    EXPECT_EQ(spectrum.droppedBlockCount(), 4u);
    EXPECT_EQ(changed.count(), 2 * SLMAudioSpectrum::slotCount);
}

TEST(SLMAudioSpectrum, BlocksFromAnotherThreadReachBandsOnTheMainThread)
{
    SLMAudioSpectrum spectrum;
    QThread* const mainThread = QCoreApplication::instance()->thread();
    std::vector<QThread*> publishingThreads;
    QObject::connect(&spectrum, &SLMAudioSpectrum::bandsChanged,
                     [&] { publishingThreads.push_back(QThread::currentThread()); });

    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    std::thread producer([&] {
        // The caller may reuse its buffer at once: ingest keeps its own copy.
        std::vector<float> buffer = sine;
        for (int i = 0; i < 3; ++i) {
            spectrum.ingest(buffer, 48000.0);
            std::fill(buffer.begin(), buffer.end(), 0.0f);
            buffer = sine;
        }
    });
    producer.join();

    ASSERT_TRUE(slm::test::processEventsUntil([&] { return publishingThreads.size() == 3; }));
    for (QThread* thread : publishingThreads)
        EXPECT_EQ(thread, mainThread);
    slm::spectrum::Bands expected = slm::spectrum::floorBands();
    for (int i = 0; i < 3; ++i)
        expected = slm::spectrum::analyse(sine, 48000.0, expected);
    EXPECT_EQ(spectrum.bands(), toList(expected));
}

// Results still queued for the main thread, and blocks still waiting for the
// worker, must find the object gone without touching it.
TEST(SLMAudioSpectrum, DestructionWithWorkInFlightIsSafe)
{
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    for (int round = 0; round < 20; ++round) {
        auto spectrum = std::make_unique<SLMAudioSpectrum>();
        for (int i = 0; i < SLMAudioSpectrum::slotCount; ++i)
            spectrum->ingest(sine, 48000.0);
        if (round % 2)
            QThread::msleep(5); // let the worker post results the main loop has not seen
        spectrum.reset();
        slm::test::drainPostedEvents();
    }
    SUCCEED();
}

} // namespace
