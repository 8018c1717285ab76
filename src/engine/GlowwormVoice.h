#pragma once

#include "engine/SynthMath.h"
#include "math/Pow.h"
#include "math/Tanh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

// The glowworm: the soundscape's creature. Short calls, each a small chord of
// five softly saturated oscillators (head, two body tones, two trail tones)
// with a pulsing chirp on top, gliding across the stereo field. The listener
// shapes it directly with activity, brightness, trail and stereo travel.
namespace slm::synth {

struct GlowwormState {
    bool active = false;
    std::int64_t sampleIndex = 0;
    std::int64_t durationSamples = 1;
    std::int64_t samplesUntilNext = 1;
    double rootFrequency = 280.0;
    double headFrequency = 760.0;
    double bodyFrequencyA = 330.0;
    double bodyFrequencyB = 510.0;
    double trailFrequencyA = 610.0;
    double trailFrequencyB = 930.0;
    double panStart = -0.6;
    double direction = 1.0;
    double intensity = 0.8;
    double headPhase = 0.0;
    double bodyPhaseA = 0.0;
    double bodyPhaseB = 0.0;
    double trailPhaseA = 0.0;
    double trailPhaseB = 0.0;
    double pulsePhase = 0.0; // never reset: each call's pulse continues the last one's
};

// Everything that depends only on the block: the shaped controls (A activity,
// B brightness, T trail, W stereo travel), the level and master gain, and
// what follows from them.
struct GlowwormBlock {
    double A, B, T, W;
    double level;      // shaped glowworm level
    double masterGain; // 0 at or below -59.5 dB
    double releaseStart, releaseLength;
    double chirpGain, headDriveMix, bodyDriveMix;
    double trailBPitch, trailAPitch, bodyBPitch, headPitch;
    double trailGain, activityGain;
    double panStartWeight, panTravelWeight;
    double pulseIncrement;
    double edgeFade; // samples

    GlowwormBlock(double A, double B, double T, double W, double level, double masterGain, double rate)
        : A(A)
        , B(B)
        , T(T)
        , W(W)
        , level(level)
        , masterGain(masterGain)
        , releaseStart(0.56 + 0.2 * T)
        , releaseLength(std::max(1.0 - releaseStart, 0.001))
        , chirpGain(0.15 + 0.22 * B)
        , headDriveMix(0.24 + 0.42 * B)
        , bodyDriveMix(0.32 + 0.26 * B)
        , trailBPitch(0.9 + 0.18 * B)
        , trailAPitch(0.92 + 0.14 * B)
        , bodyBPitch(0.96 + 0.1 * B)
        , headPitch(0.94 + 0.48 * B)
        , trailGain(0.55 + 0.85 * T)
        , activityGain(1.25 + 0.55 * A)
        , panStartWeight(0.08 + 0.92 * W)
        , panTravelWeight(0.02 + 1.24 * W)
        , pulseIncrement(twoPi * (3.2 + 4.8 * A) / rate)
        , edgeFade(std::max(0.025 * rate, 1.0))
    {
    }
};

// Start and end of a call; each draws from the shared generator.
void beginGlowworm(GlowwormState& s, std::uint64_t& random, double rate, double A, double B, double T);
void endGlowworm(GlowwormState& s, std::uint64_t& random, double rate, double A);

// Glowworm L and R before the gate, master gain included.
inline StereoFrame glowwormFrame(GlowwormState& s, std::uint64_t& random, double rate, bool frozen,
                                 const GlowwormBlock& k, double LA, double LC)
{
    if (!s.active && !frozen) {
        --s.samplesUntilNext;
        if (s.samplesUntilNext < 1)
            beginGlowworm(s, random, rate, k.A, k.B, k.T);
    }
    if (!s.active)
        return {};

    const std::int64_t n = s.sampleIndex;
    const std::int64_t D = s.durationSamples;
    const double P = s.pulsePhase;
    const double p = static_cast<double>(n) / static_cast<double>(std::max<std::int64_t>(D, 1));

    const double attack = std::min(p / 0.12, 1.0);
    const double release =
        p < k.releaseStart ? 1.0 : power(std::max(1.0 - (p - k.releaseStart) / k.releaseLength, 0.0), 1.25);
    const auto [attackSine, headSine] = sine(attack * pi / 2.0, pi * p);
    const double bodyEnvelope = release * attackSine;
    const double headEnvelope = power(std::max(headSine, 0.0), 0.54);
    const double trailEnvelope =
        k.trailGain * std::clamp((p - 0.045) / 0.14, 0.0, 1.0) * power(std::max(1.0 - p, 0.0), 0.48);

    const double h = s.headPhase;
    const double b1 = s.bodyPhaseA;
    const double b2 = s.bodyPhaseB;
    const double t1 = s.trailPhaseA;
    const double t2 = s.trailPhaseB;
    const auto [w, chirpSine] = sine(P, 1.51 * h + 0.83);
    const auto [tremoloSine, trail1] = sine(0.91 * P, t1 + 1.3);
    const auto [trail2, trailDrive] = sine(t2 + 2.1, 0.5 * t2 + 0.44);
    const auto [head1, head2] = sine(h, 1.997 * h + 0.31);
    const auto [head3, body1] = sine(3.011 * h + 1.17, b1);
    const auto [body2, body3] = sine(b2 + 0.72, 2.0 * b1 + 0.21);
    const double chirp = k.chirpGain * wholePower<6>(std::max(w, 0.0)) * chirpSine;
    const double tremolo = 0.6 + 0.4 * (tremoloSine + 1.0) / 2.0;

    const double trail = 0.34 * trail1 + 0.2 * trail2 + 0.12 * tanh(2.0 * trailDrive);
    const double head = 0.28 * head1 + k.headDriveMix * tanh(2.2 * head2 + 0.72 * head3);
    const double body = 0.62 * body1 + k.bodyDriveMix * tanh(1.8 * body2 + 0.65 * body3);

    // Short edge fades keep the call's first and last samples click-free.
    const auto [fadeIn, fadeOut] =
        sine(std::min(static_cast<double>(n) / k.edgeFade, 1.0) * pi / 2.0,
             std::min(static_cast<double>(std::max<std::int64_t>(D - n, 0)) / k.edgeFade, 1.0) * pi / 2.0);

    const double mix = chirp + trail * trailEnvelope + body * bodyEnvelope + head * (0.7 + 0.3 * w) * headEnvelope;
    const double voice = tanh(1.15 * (0.92 + 0.06 * LA + 0.08 * LC) * tremolo * k.activityGain * s.intensity
                                   * k.level * fadeIn * fadeOut * mix);

    advancePhase(s.headPhase, k.headPitch * twoPi * s.headFrequency / rate);
    advancePhase(s.bodyPhaseA, twoPi * s.bodyFrequencyA / rate);
    advancePhase(s.bodyPhaseB, k.bodyBPitch * twoPi * s.bodyFrequencyB / rate);
    advancePhase(s.trailPhaseA, k.trailAPitch * twoPi * s.trailFrequencyA / rate);
    advancePhase(s.trailPhaseB, k.trailBPitch * twoPi * s.trailFrequencyB / rate);

    s.sampleIndex = n + 1;
    if (n + 1 >= D)
        endGlowworm(s, random, rate, k.A);

    // The call travels steadily in its direction, wider with more stereo travel.
    const double position =
        std::clamp(k.panStartWeight * s.panStart + k.panTravelWeight * (2.0 * p - 1.0) * s.direction, -0.98, 0.98);
    return {k.masterGain * std::sqrt((1.0 - position) / 2.0) * voice,
            k.masterGain * std::sqrt((1.0 + position) / 2.0) * voice};
}

// Runs at the end of the frame: the pulse turns only while a call sounds, frozen or not.
inline void advanceGlowwormPulse(GlowwormState& s, const GlowwormBlock& k)
{
    if (s.active)
        advancePhase(s.pulsePhase, k.pulseIncrement);
}

} // namespace slm::synth
