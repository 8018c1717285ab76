#pragma once

// The render's per-frame arithmetic for the steady voices and the master,
// eight frames at a time. The render cycle walks the gates, the noise and the
// events frame by frame (cheap, and order-dependent), lays out eight frames of
// them here, and hands the steady phases, sines, saturations and mixing to a
// kernel compiled for the CPU at hand. Every kernel computes each lane with
// the same IEEE operations as every other, so all give the same bits.
namespace slm::synth {

inline constexpr int chunkFrames = 8;

// The delay lines are written only after the kernel has run. Every tap but
// the field's 4-frame one reaches back before the chunk; for that one, the
// kernel takes the second half of the chunk's taps from the first half's dry
// values.
inline constexpr int shortestSpatialTap = 4;
inline constexpr int nextShortestSpatialTap = 9; // the wave's left
static_assert(chunkFrames == 2 * shortestSpatialTap && chunkFrames <= nextShortestSpatialTap);

struct alignas(32) FrameLanes {
    double v[chunkFrames];
};

// The phases that turn every frame whatever happens (or hold while frozen),
// side by side, so the kernel advances several of them per instruction.
struct Steady {
    enum : int {
        reactor40, reactor80, reactor120, reactor200, reactor320,
        fieldA, fieldB, fieldC, fieldD, fieldPulse, fieldMotion,
        waveA, waveB, waveC, waveD, waveE, waveMotion, waveTide, waveShimmer,
        filamentA, filamentB, filamentC, filamentD, filamentE, filamentF, filamentMotion, filamentBreath,
        chimeSub, chimeBody, chimeRing, chimeAir,
        count,
        padded = (count + 3) / 4 * 4
    };
};

// The sines the steady voices take of those phases, each of its own
// argument k * phase + c (see SteadyRotation).
struct SteadySine {
    enum : int {
        reactor40, reactor80, reactor120, reactor200, reactor320,
        fieldA, fieldB, fieldC, fieldD, fieldPulse, fieldMotion,
        waveA, waveB, waveC, waveD, waveE, waveRightA, waveRightB, waveRightC, waveRightD, waveRightE,
        waveMotion, waveTide, waveShimmer,
        filamentA, filamentB, filamentC, filamentD, filamentE, filamentF, filamentMotion,
        filamentBreath, filamentBurst, filamentSideL, filamentSideR,
        // Needed only while the chime sounds.
        chimeSub, chimeSubHalf, chimeBody, chimeBodyHalf, chimeRing, chimeAir,
        chimeBreath, chimeStrikeBody, chimeStrikeRing, chimeStrikeAir, chimePan,
        count,
        padded = (count + 3) / 4 * 4,
        firstChime = chimeSub,
        steadyPadded = (firstChime + 3) / 4 * 4,
    };
};

// Each phase and its step per frame (0 for one held by the freeze). The
// spare slots stay at zero.
struct alignas(32) SteadyPhases {
    double value[Steady::padded];
    double step[Steady::padded];
};

// Modulators, lane by lane.
struct ModulatorLanes {
    FrameLanes M1, M2, M3, MD, LA, LB, LC, LD, BR, DR;
};

// A glowworm call, lane by lane; `active` is 1 where a call sounds, else 0.
struct GlowwormLanes {
    FrameLanes active, index, duration, remaining; // samples: n, max(D, 1), max(D - n, 0)
    FrameLanes pulse, head, bodyA, bodyB, trailA, trailB;
    FrameLanes intensity, panStart, direction;
};

// Per-block values of the glowworm (see GlowwormBlock).
struct GlowwormConstants {
    double level, masterGain, releaseStart, releaseLength;
    double chirpGain, headDriveMix, bodyDriveMix, trailGain, activityGain;
    double panStartWeight, panTravelWeight, edgeFade;
};

struct AnomalyLanes {
    FrameLanes active, index, duration; // n, max(D, 1)
    FrameLanes phaseA, phaseB, phaseC, flutter, panBias, intensity;
};

struct ChimeLanes {
    FrameLanes audible; // 1 where an envelope is still above its threshold
    FrameLanes presence, crossing, impact;
};

struct ChunkInput {
    ModulatorLanes m;
    GlowwormLanes glowworm;
    AnomalyLanes anomaly;
    ChimeLanes chime;
    FrameLanes phases[Steady::padded]; // indexed by Steady
    FrameLanes sines[SteadySine::padded]; // indexed by SteadySine
    FrameLanes fieldTapL, fieldTapR, waveTapL, waveTapR;
    FrameLanes noiseL, noiseR;
    FrameLanes gateReactor, gateField, gateWave, gateAnomaly, gateGlowworm;
    FrameLanes startupGain, transportGain;
    // Block constants.
    GlowwormConstants glowwormBlock;
    double reactorLevel, fieldLevel, waveLevel, filamentLevel, filamentBrightness, anomalyLevel, chimeSpread;
    // Whether any lane of this chunk has an event sounding: a quiet one costs nothing.
    bool glowwormSounds, anomalySounds, chimeSounds;
};

struct ChunkOutput {
    FrameLanes fieldDryL, fieldDryR, waveDryL, waveDryR;
    // Each voice's bus after its gate, before the master.
    FrameLanes reactorBus, fieldL, fieldR, waveL, waveR, anomalyL, anomalyR, glowwormL, glowwormR;
    FrameLanes outL, outR;
};

struct SteadyRotation;

struct ChunkKernel {
    const char* name;
    // Lays out the chunk's frames of every steady phase in `in.phases` and
    // moves `phases` on by `count` frames.
    void (*steadyPhases)(SteadyPhases& phases, ChunkInput& in, int count);
    // Then the chunk's steady sines into `in.sines` (the chime's too where
    // `chime`), from exact sines of the phase lanes where `anchor` says so,
    // else by turning the last chunk's.
    void (*steadySines)(SteadyRotation& rotation, const SteadyPhases& phases, ChunkInput& in, bool anchor, bool chime);
    void (*voices)(const ChunkInput& in, ChunkOutput& out);
};

extern const ChunkKernel sse2ChunkKernel;
extern const ChunkKernel avx2ChunkKernel;

} // namespace slm::synth
