#pragma once

#include <span>

// Where the render cycle hands each full block of its mono output for
// analysis. Called on the audio thread: an implementation takes the block
// without waiting, locking or allocating, and drops it when it cannot.
class SpectrumSink {
public:
    virtual void ingest(std::span<const float> samples, double sampleRate) = 0;

protected:
    ~SpectrumSink() = default;
};
