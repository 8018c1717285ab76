#include "engine/HalfMinuteChime.h"

#include <algorithm>

namespace slm::synth {

HalfMinuteChimeTargets halfMinuteChimeTargets(double s)
{
    const double fadeIn = s > 25.0 ? sine(std::min((s - 25.0) / 5.0, 1.0) * pi / 2.0) : 0.0;
    const double fadeOut = s > 30.0 ? std::cos(std::min((s - 30.0) / 5.0, 1.0) * pi / 2.0) : 1.0;
    const double cross = s > 29.35 ? std::max(sine(std::min((s - 29.35) / 1.7, 1.0) * pi), 0.0) : 0.0;

    // The impact rises within its first tenth, then decays.
    const double u = (s - 30.0) / 0.8;
    double attack = 0.0;
    double decay = 1.0;
    if (u > 1.0) {
        attack = 1.0;
        decay = 0.0;
    } else if (u > 0.0) {
        attack = u >= 0.1 ? 1.0 : sine((u / 0.1) * pi / 2.0);
        decay = std::max(1.0 - u, 0.0);
    }

    HalfMinuteChimeTargets t;
    t.spread = s < 30.0 ? 0.0 : std::min((s - 30.0) / 2.2, 1.0);
    if (s >= 25.0 && s < 30.0)
        t.presence = std::pow(fadeIn, 1.45);
    else if (s >= 30.0 && s < 35.0)
        t.presence = std::pow(fadeOut, 1.18);
    if (s >= 29.35 && s < 31.05)
        t.crossing = std::pow(cross, 0.82);
    if (s >= 30.0 && s < 30.8)
        t.impact = attack * std::pow(decay, 2.55);
    return t;
}

} // namespace slm::synth
