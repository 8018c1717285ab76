#pragma once

#include "analysis/SpectrumSink.h"

#include <QList>
#include <QObject>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// 24 smoothed band levels (dB, -72 ... 0) of the program's output, for the
// console's analyser. Blocks of mono samples arrive through ingest() from the
// render thread; the analysis runs on this object's own worker thread, and
// `bands` is published on the main thread.
class SLMAudioSpectrum : public QObject, public SpectrumSink {
    Q_OBJECT
    Q_PROPERTY(QList<double> bands READ bands NOTIFY bandsChanged)
    Q_PROPERTY(QList<double> centerFrequencies READ centerFrequencies CONSTANT)

public:
    static constexpr int bandCount = 24;
    static constexpr double floorDB = -72.0;

    // Blocks wait for the worker in a fixed pool of preallocated slots.
    // A block longer than a slot, or one that arrives while every slot is
    // still in use (the worker or the main thread has fallen behind), is
    // dropped and counted: ingest never waits.
    static constexpr std::size_t slotLength = 8192;
    static constexpr int slotCount = 8;

    explicit SLMAudioSpectrum(QObject* parent = nullptr);
    ~SLMAudioSpectrum() override;

    // Any thread, the real-time render thread included: copies the block into
    // a preallocated slot and wakes the worker. Never locks, waits or allocates.
    // Does nothing for an empty block or a sample rate not above 0.
    void ingest(std::span<const float> samples, double sampleRate) override;

    // Main thread: blocks until every ingested block has been analysed, then
    // publishes the results. For offline rendering, where the analysis must
    // keep step with the rendered blocks.
    void waitUntilIdle();

    QList<double> bands() const { return m_bands; }
    QList<double> centerFrequencies() const;

    // Blocks that ingest() could not take (too long, or no free slot).
    std::uint64_t droppedBlockCount() const;

signals:
    void objectWillChange();
    void bandsChanged();

private:
    struct Worker;
    void publish(const QList<double>& bands);
    // Main thread: publishes every finished result, oldest first.
    void publishFinished();

    QList<double> m_bands;
    std::unique_ptr<Worker> m_worker;
};
