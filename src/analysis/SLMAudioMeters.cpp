#include "analysis/SLMAudioMeters.h"

#include "math/Log.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double silenceThreshold = 1e-6;
constexpr double ceilingDB = 0.0;
constexpr double peakDecayDB = 0.55;

constexpr double voiceRise = 0.72;
constexpr double voiceFall = 0.16;
constexpr double masterRise = 0.9;
constexpr double masterFall = 0.24;

constexpr int meterCount = 7;
constexpr int voiceCount = 5;

// The comparison is written so that NaN also lands on the floor.
double instantaneousDB(double amplitude)
{
    if (!(amplitude > silenceThreshold))
        return SLMAudioMeters::floorDB;
    const double db = 20.0 * slm::math::log10(amplitude);
    return std::min(std::max(db, SLMAudioMeters::floorDB), ceilingDB);
}

using Signal = void (SLMAudioMeters::*)();

constexpr Signal changedSignals[2 * meterCount] = {
    &SLMAudioMeters::reactorDBChanged,         &SLMAudioMeters::fieldDBChanged,
    &SLMAudioMeters::waveDBChanged,            &SLMAudioMeters::anomalyDBChanged,
    &SLMAudioMeters::glowwormDBChanged,        &SLMAudioMeters::masterLeftDBChanged,
    &SLMAudioMeters::masterRightDBChanged,     &SLMAudioMeters::reactorPeakDBChanged,
    &SLMAudioMeters::fieldPeakDBChanged,       &SLMAudioMeters::wavePeakDBChanged,
    &SLMAudioMeters::anomalyPeakDBChanged,     &SLMAudioMeters::glowwormPeakDBChanged,
    &SLMAudioMeters::masterLeftPeakDBChanged,  &SLMAudioMeters::masterRightPeakDBChanged,
};

} // namespace

SLMAudioMeters::SLMAudioMeters(QObject* parent)
    : QObject(parent)
{
    std::fill(std::begin(m_values), std::end(m_values), floorDB);
}

void SLMAudioMeters::update(double reactor, double field, double wave, double anomaly,
                            double glowworm, double masterLeft, double masterRight)
{
    const double amplitudes[meterCount] = {reactor, field, wave, anomaly, glowworm, masterLeft, masterRight};
    double levels[meterCount];
    for (int i = 0; i < meterCount; ++i)
        levels[i] = instantaneousDB(amplitudes[i]);

    double next[2 * meterCount];
    for (int i = 0; i < meterCount; ++i) {
        const double current = m_values[i];
        const double target = levels[i];
        const bool rising = current < target;
        const double k = i < voiceCount ? (rising ? voiceRise : voiceFall)
                                        : (rising ? masterRise : masterFall);
        next[i] = current + (target - current) * k;
    }
    for (int i = 0; i < meterCount; ++i) {
        const double held = m_values[meterCount + i];
        const double target = levels[i];
        next[meterCount + i] = held <= target ? target : std::max(held - peakDecayDB, floorDB);
    }

    // Each assignment is its own published change, so observers see every
    // intermediate state in property order.
    for (int i = 0; i < 2 * meterCount; ++i) {
        const Signal changed = changedSignals[i];
        emit objectWillChange();
        m_values[i] = next[i];
        emit(this->*changed)();
    }
}
