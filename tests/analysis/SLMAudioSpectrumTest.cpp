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

QList<double> analysed(const std::vector<const std::vector<float>*>& blocks)
{
    slm::spectrum::Bands bands = slm::spectrum::floorBands();
    for (const auto* block : blocks)
        bands = slm::spectrum::analyse(*block, 48000.0, bands);
    return QList<double>(bands.begin(), bands.end());
}

// Each block is smoothed against the one before it and published once;
// blocks with nothing to analyse are not blocks at all.
TEST(SLMAudioSpectrum, PublishesEachBlockOnceInOrder)
{
    SLMAudioSpectrum spectrum;
    EXPECT_EQ(spectrum.bands(), QList<double>(24, -72.0));
    EXPECT_EQ(spectrum.centerFrequencies().size(), 24);
    QSignalSpy announced(&spectrum, &SLMAudioSpectrum::objectWillChange);
    QSignalSpy changed(&spectrum, &SLMAudioSpectrum::bandsChanged);

    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    const std::vector<float> silence(4096, 0.0f);
    spectrum.ingest({}, 48000.0);
    spectrum.ingest(sine, 0.0);
    spectrum.ingest(sine, std::numeric_limits<double>::quiet_NaN());
    spectrum.ingest(sine, 48000.0);
    spectrum.ingest(silence, 48000.0);
    spectrum.waitUntilIdle();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(announced.count(), 2);
    EXPECT_EQ(spectrum.bands(), analysed({&sine, &silence}));

    // The queued notices of those results find nothing left to publish.
    slm::test::processEventsFor(std::chrono::milliseconds(30));
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(spectrum.droppedBlockCount(), 0u);
}

TEST(SLMAudioSpectrum, DropsWhatItCannotHoldInsteadOfWaiting)
{
    SLMAudioSpectrum spectrum;
    QSignalSpy changed(&spectrum, &SLMAudioSpectrum::bandsChanged);
    spectrum.ingest(std::vector<float>(SLMAudioSpectrum::slotLength + 1, 0.5f), 48000.0);
    EXPECT_EQ(spectrum.droppedBlockCount(), 1u);

    // A slot comes back only once its result is published, so without an
    // event loop the pool runs dry after slotCount blocks.
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0, SLMAudioSpectrum::slotLength);
    for (int i = 0; i < SLMAudioSpectrum::slotCount + 3; ++i)
        spectrum.ingest(sine, 48000.0);
    EXPECT_EQ(spectrum.droppedBlockCount(), 4u);
    spectrum.waitUntilIdle();
    for (int i = 0; i < SLMAudioSpectrum::slotCount; ++i)
        spectrum.ingest(sine, 48000.0);
    spectrum.waitUntilIdle();
    EXPECT_EQ(spectrum.droppedBlockCount(), 4u);
    EXPECT_EQ(changed.count(), 2 * SLMAudioSpectrum::slotCount);
}

TEST(SLMAudioSpectrum, BlocksFromAnotherThreadReachBandsOnTheMainThread)
{
    SLMAudioSpectrum spectrum;
    std::vector<QThread*> publishers;
    QObject::connect(&spectrum, &SLMAudioSpectrum::bandsChanged,
                     [&] { publishers.push_back(QThread::currentThread()); });
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    std::thread producer([&] {
        std::vector<float> buffer = sine;
        for (int i = 0; i < 3; ++i) {
            spectrum.ingest(buffer, 48000.0);
            std::fill(buffer.begin(), buffer.end(), 1.0f); // ingest kept its own copy
            buffer = sine;
        }
    });
    producer.join();
    ASSERT_TRUE(slm::test::processEventsUntil([&] { return publishers.size() == 3; }));
    for (QThread* thread : publishers)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    EXPECT_EQ(spectrum.bands(), analysed({&sine, &sine, &sine}));
}

// Blocks still waiting for the worker and results still queued for the main
// thread must find the object gone without touching it.
TEST(SLMAudioSpectrum, DestructionWithWorkInFlightIsSafe)
{
    const std::vector<float> sine = sineBlock(1000.0, 0.5, 48000.0);
    for (int round = 0; round < 20; ++round) {
        auto spectrum = std::make_unique<SLMAudioSpectrum>();
        for (int i = 0; i < SLMAudioSpectrum::slotCount; ++i)
            spectrum->ingest(sine, 48000.0);
        if (round % 2)
            QThread::msleep(5); // results posted that the main loop has not seen
        spectrum.reset();
        slm::test::drainPostedEvents();
    }
}

} // namespace
