#include "analysis/SpectrumAnalysis.h"

#include "math/Log.h"
#include "math/Trig.h"

#include <algorithm>
#include <cstddef>
#include <numbers>

namespace slm::spectrum {

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;
constexpr double frequencyLimit = 0.45;
constexpr double amplitudeScale = 4.0;
constexpr double silenceThreshold = 1e-7;
constexpr double riseCoefficient = 0.68;
constexpr double fallCoefficient = 0.16;

// The window is worked out a chunk at a time for all bands, and the bands'
// recursions then run over the chunk. Within a chunk the window's angle is
// the chunk's own plus an offset whose sine and cosine are shared by every
// chunk: one sinCos per chunk instead of one cosine per sample.
constexpr std::size_t chunkLength = 64;

// amplitude = sqrt(power) / norm * scale, compared and converted squared.
double levelDB(double s1, double s2, double coefficient, double norm)
{
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    const double amplitudeSquared = power * (amplitudeScale * amplitudeScale / (norm * norm));
    if (!(amplitudeSquared > silenceThreshold * silenceThreshold))
        return floorDB;
    const double db = 10.0 * math::log10(amplitudeSquared);
    return std::min(std::max(db, floorDB), ceilingDB);
}

} // namespace

Bands measure(std::span<const float> block, double sampleRate) { return measure(block, sampleRate, chosenKernelPath()); }

Bands measure(std::span<const float> block, double sampleRate, KernelPath path)
{
    Bands levels = floorBands();
    if (block.empty() || !(sampleRate > 0.0))
        return levels;

    const std::size_t length = block.size();
    // Symmetric window: its last sample is 0 as well as its first.
    const double windowSpan = length > 1 ? static_cast<double>(length - 1) : 1.0;
    const double norm = length > 1 ? static_cast<double>(length) : 1.0;

    GoertzelBank bank{};
    for (int b = 0; b < bandCount; ++b) {
        const double frequency = std::min(centerFrequencies[b], frequencyLimit * sampleRate);
        bank.coefficient[b] = 2.0 * math::cosine(twoPi * frequency / sampleRate);
    }

    double offsetCos[chunkLength];
    double offsetSin[chunkLength];
    for (std::size_t j = 0; j < std::min(chunkLength, length); ++j) {
        const math::SinCos offset = math::sinCos(twoPi * static_cast<double>(j) / windowSpan);
        offsetCos[j] = offset.cos;
        offsetSin[j] = offset.sin;
    }

    double windowed[chunkLength];
    for (std::size_t start = 0; start < length; start += chunkLength) {
        const std::size_t count = std::min(chunkLength, length - start);
        const math::SinCos at = math::sinCos(twoPi * static_cast<double>(start) / windowSpan);
        for (std::size_t j = 0; j < count; ++j) {
            const double c = at.cos * offsetCos[j] - at.sin * offsetSin[j];
            windowed[j] = (0.5 - 0.5 * c) * static_cast<double>(block[start + j]);
        }
        runGoertzelBank(bank, windowed, count, path);
    }

    for (int b = 0; b < bandCount; ++b)
        levels[b] = levelDB(bank.s1[b], bank.s2[b], bank.coefficient[b], norm);
    return levels;
}

Bands smooth(const Bands& previous, const Bands& levels)
{
    Bands result;
    for (int b = 0; b < bandCount; ++b) {
        const double q = previous[b];
        const double t = levels[b];
        const double k = q < t ? riseCoefficient : fallCoefficient;
        result[b] = q + (t - q) * k;
    }
    return result;
}

} // namespace slm::spectrum
