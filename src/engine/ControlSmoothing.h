#pragma once

#include "control/SLMAudioParameters.h"
#include "engine/SynthMath.h"

#include <algorithm>
#include <cmath>

// The listener's ten continuous controls, glided per block (65 ms time
// constant, whatever the block size) and bent into the values the voices use.
namespace slm::synth {

struct SmoothedControls {
    // Start at the defaults, so the first blocks do not glide.
    double reactorLevel = slm::defaults::reactorLevel;
    double fieldLevel = slm::defaults::fieldLevel;
    double waveLevel = slm::defaults::waveLevel;
    double anomalyLevel = slm::defaults::anomalyLevel;
    double glowwormMasterDB = slm::defaults::glowwormMasterDB;
    double glowwormLevel = slm::defaults::glowwormLevel;
    double glowwormActivity = slm::defaults::glowwormActivity;
    double glowwormBrightness = slm::defaults::glowwormBrightness;
    double glowwormTrail = slm::defaults::glowwormTrail;
    double glowwormStereoTravel = slm::defaults::glowwormStereoTravel;
};

inline constexpr double controlGlideSeconds = 0.065;

// Bounds far outside the faders (levels 0...1, master -60...+12 dB), so that
// values moderately out of range still play along the same curve. Within
// them every shaped value and every product of the voices stays finite: a
// level of 100 shapes to a few thousand, +200 dB is a gain of 1e10.
inline constexpr double controlLevelBound = 100.0;
inline constexpr double controlDecibelBound = 200.0;

// A non-finite control value would poison the glide for good, so it is
// ignored until a usable value arrives. The bound keeps a huge target from
// overflowing the glide, and makes the way back from it short.
inline void glideTowards(double& smooth, double target, double k, double bound)
{
    if (std::isfinite(target))
        smooth = smooth + k * (std::clamp(target, -bound, bound) - smooth);
}

// Reads each control once, in a fixed order, and glides towards it.
inline void glideControls(SmoothedControls& c, const SLMAudioParameters& p, double k)
{
    constexpr double level = controlLevelBound;
    glideTowards(c.reactorLevel, p.reactorLevel(), k, level);
    glideTowards(c.fieldLevel, p.fieldLevel(), k, level);
    glideTowards(c.waveLevel, p.waveLevel(), k, level);
    glideTowards(c.anomalyLevel, p.anomalyLevel(), k, level);
    glideTowards(c.glowwormMasterDB, p.glowwormMasterDB(), k, controlDecibelBound);
    glideTowards(c.glowwormLevel, p.glowwormLevel(), k, level);
    glideTowards(c.glowwormActivity, p.glowwormActivity(), k, level);
    glideTowards(c.glowwormBrightness, p.glowwormBrightness(), k, level);
    glideTowards(c.glowwormTrail, p.glowwormTrail(), k, level);
    glideTowards(c.glowwormStereoTravel, p.glowwormStereoTravel(), k, level);
}

// The level curve keeps each default fixed and bends around it: faders act
// more strongly above their default and more gently below it.
inline double shapedLevel(double x, double defaultLevel)
{
    return x > 0.0 ? defaultLevel * std::pow(x / defaultLevel, 1.7) : 0.0;
}

// The bottom of the fader (-60 dB) is silence.
inline double glowwormMasterGain(double dB) { return dB > -59.5 ? std::pow(10.0, dB / 20.0) : 0.0; }

struct ShapedControls {
    double reactor, field, wave, anomaly, glowworm; // S_*
    double glowwormMasterGain;                      // G_glow
    double activity, brightness, trail, stereoTravel; // clamped to 0...1
};

inline ShapedControls shapeControls(const SmoothedControls& c)
{
    namespace d = slm::defaults;
    return {shapedLevel(c.reactorLevel, d::reactorLevel),
            shapedLevel(c.fieldLevel, d::fieldLevel),
            shapedLevel(c.waveLevel, d::waveLevel),
            shapedLevel(c.anomalyLevel, d::anomalyLevel),
            shapedLevel(c.glowwormLevel, d::glowwormLevel),
            glowwormMasterGain(c.glowwormMasterDB),
            clampUnit(c.glowwormActivity),
            clampUnit(c.glowwormBrightness),
            clampUnit(c.glowwormTrail),
            clampUnit(c.glowwormStereoTravel)};
}

} // namespace slm::synth
