#include "engine/AnomalyVoice.h"

#include "engine/NoiseLayer.h"

namespace slm::synth {

void beginAnomaly(AnomalyState& s, std::uint64_t& random, double rate)
{
    s.active = true;
    s.sampleIndex = 0;
    s.phaseA = 0.0;
    s.phaseB = 0.0;
    s.phaseC = 0.0;
    s.motionPhase = 0.0;
    s.flutterPhase = 0.0;

    const double u1 = nextRandom(random);
    s.durationSamples = samplesFor(rate * (5.5 + 5.5 * u1));
    const double u2 = nextRandom(random);
    s.frequencyA = 610.0 + 260.0 * u2;
    const double u3 = nextRandom(random);
    s.frequencyB = s.frequencyA * (1.47 + 0.08 * u3);
    const double u4 = nextRandom(random);
    s.frequencyC = s.frequencyA * (2.03 + 0.14 * u4);
    const double u5 = nextRandom(random);
    s.panBias = (2.0 * u5 - 1.0) * pi;
    const double u6 = nextRandom(random);
    s.intensity = 0.62 + 0.38 * u6;
}

void endAnomaly(AnomalyState& s, std::uint64_t& random, double rate)
{
    s.active = false;
    s.sampleIndex = 0;
    const double u = nextRandom(random);
    s.samplesUntilNext = samplesFor(rate * (22.0 + 30.0 * u));
}

} // namespace slm::synth
