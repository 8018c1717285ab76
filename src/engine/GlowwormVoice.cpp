#include "engine/GlowwormVoice.h"

#include "engine/NoiseLayer.h"

namespace slm::synth {

void beginGlowworm(GlowwormState& s, std::uint64_t& random, double rate, double A, double B, double T)
{
    s.active = true;
    s.sampleIndex = 0;
    s.headPhase = 0.0;
    s.bodyPhaseA = 0.0;
    s.bodyPhaseB = 0.0;
    s.trailPhaseA = 0.0;
    s.trailPhaseB = 0.0;

    const double u1 = nextRandom(random);
    s.durationSamples = samplesFor(rate * std::max(1.8 + 7.6 * T + 1.6 * u1 - 0.35 * A, 2.2));
    const double u2 = nextRandom(random);
    const double root = 185.0 + 330.0 * B + 95.0 * u2;
    s.rootFrequency = root;
    s.bodyFrequencyA = root;
    const double u3 = nextRandom(random);
    s.bodyFrequencyB = root * (1.42 + 0.16 * u3);
    const double u4 = nextRandom(random);
    s.headFrequency = root * (2.15 + 2.55 * B + 0.3 * u4);
    const double u5 = nextRandom(random);
    s.trailFrequencyA = root * (1.76 + 0.18 * u5);
    const double u6 = nextRandom(random);
    s.trailFrequencyB = root * (2.74 + 0.3 * u6);
    const double u7 = nextRandom(random);
    s.panStart = -0.35 + 0.7 * u7;
    const double u8 = nextRandom(random);
    s.direction = u8 < 0.5 ? -1.0 : 1.0;
    const double u9 = nextRandom(random);
    s.intensity = 0.9 + 0.45 * u9;
}

void endGlowworm(GlowwormState& s, std::uint64_t& random, double rate, double A)
{
    s.active = false;
    s.sampleIndex = 0;
    // 16...28 s of silence at activity 0, never below 0.8 s.
    const double u = nextRandom(random);
    s.samplesUntilNext = samplesFor(rate * std::max(16.0 - 15.1 * A + std::max(12.0 - 10.5 * A, 0.8) * u, 0.8));
}

} // namespace slm::synth
