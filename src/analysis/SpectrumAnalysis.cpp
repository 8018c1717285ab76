#include "analysis/SpectrumAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace slm::spectrum {

namespace {

constexpr double frequencyLimit = 0.45;
constexpr double amplitudeScale = 4.0;
constexpr double silenceThreshold = 1e-7;
constexpr double riseCoefficient = 0.68;
constexpr double fallCoefficient = 0.16;

// The window is evaluated once per sample for all bands, a chunk at a time,
// and the 24 recursions advance side by side so the compiler can run them
// in vector lanes. Each lane does exactly the scalar arithmetic.
constexpr std::size_t chunkLength = 256;

double levelDB(double s1, double s2, double coefficient, double norm)
{
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    if (!(power > 0.0))
        return floorDB;
    const double amplitude = std::sqrt(power) / norm * amplitudeScale;
    if (!(amplitude > silenceThreshold))
        return floorDB;
    const double db = 20.0 * std::log10(amplitude);
    return std::min(std::max(db, floorDB), ceilingDB);
}

} // namespace

Bands measure(std::span<const float> block, double sampleRate)
{
    Bands levels = floorBands();
    if (block.empty() || !(sampleRate > 0.0))
        return levels;

    const std::size_t length = block.size();
    // Symmetric window: its last sample is 0 as well as its first.
    const double windowSpan = length > 1 ? static_cast<double>(length - 1) : 1.0;
    const double norm = length > 1 ? static_cast<double>(length) : 1.0;

    Bands coefficients;
    for (int b = 0; b < bandCount; ++b) {
        const double frequency = std::min(centerFrequencies[b], frequencyLimit * sampleRate);
        const double omega = 2.0 * std::numbers::pi * frequency / sampleRate;
        coefficients[b] = 2.0 * std::cos(omega);
    }

    Bands s1{};
    Bands s2{};
    double windowed[chunkLength];
    for (std::size_t start = 0; start < length; start += chunkLength) {
        const std::size_t count = std::min(chunkLength, length - start);
        for (std::size_t j = 0; j < count; ++j) {
            const double n = static_cast<double>(start + j);
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / windowSpan);
            windowed[j] = w * static_cast<double>(block[start + j]);
        }
        for (std::size_t j = 0; j < count; ++j) {
            const double x = windowed[j];
            for (int b = 0; b < bandCount; ++b) {
                const double s = coefficients[b] * s1[b] + x - s2[b];
                s2[b] = s1[b];
                s1[b] = s;
            }
        }
    }

    for (int b = 0; b < bandCount; ++b)
        levels[b] = levelDB(s1[b], s2[b], coefficients[b], norm);
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
