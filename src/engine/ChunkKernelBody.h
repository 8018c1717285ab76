#pragma once

// The body of every chunk kernel, included once by each kernel's own
// translation unit and compiled there for its instruction set. Everything
// here has internal linkage, so no copy built for a wider instruction set can
// stand in for the baseline one at link time.

#include "engine/ChunkKernel.h"
#include "engine/SteadyRotation.h"
#include "math/Lanes.h"
#include "math/Pow.h"
#include "math/SineLanes.h"
#include "math/Tanh.h"

#include <immintrin.h>

#include <cstring>
#include <numbers>

namespace {

using namespace slm::synth;

// A kernel's unit is `kernelWidth` frames (set by its translation unit): a
// chunk is worked through in chunkFrames / kernelWidth parts, H = 0, 1, ...
static_assert(chunkFrames % kernelWidth == 0);
using V = Doubles<kernelWidth>;

constexpr double pi = std::numbers::pi;
constexpr double twoPi = 2.0 * std::numbers::pi;

template <int H>
[[gnu::always_inline]] inline V load(const FrameLanes& lanes)
{
    V v;
    std::memcpy(&v, lanes.v + H * kernelWidth, sizeof v);
    return v;
}

template <int H>
[[gnu::always_inline]] inline void store(FrameLanes& lanes, V v)
{
    std::memcpy(lanes.v + H * kernelWidth, &v, sizeof v);
}

// Correctly rounded in every lane, as std::sqrt.
[[gnu::always_inline]] inline V squareRoot(V x)
{
#if defined(__AVX__)
    __m256d packed[sizeof(V) / 32];
    std::memcpy(packed, &x, sizeof x);
    for (auto& p : packed)
        p = _mm256_sqrt_pd(p);
#else
    __m128d packed[sizeof(V) / 16];
    std::memcpy(packed, &x, sizeof x);
    for (auto& p : packed)
        p = _mm_sqrt_pd(p);
#endif
    std::memcpy(&x, packed, sizeof x);
    return x;
}

// std::min, std::max and std::clamp lane by lane, NaN cases included.
[[gnu::always_inline]] inline V minimum(V a, double b) { return select(b < a, splat<V>(b), a); }
[[gnu::always_inline]] inline V maximum(V a, double b) { return select(a < b, splat<V>(b), a); }
[[gnu::always_inline]] inline V clamped(V v, double lo, double hi)
{
    return select(v < lo, splat<V>(lo), select(hi < v, splat<V>(hi), v));
}

template <int H>
[[gnu::always_inline]] inline V steadySine(const ChunkInput& in, int which)
{
    return load<H>(in.sines[which]);
}

template <int H>
[[gnu::always_inline]] inline MaskOf<V> sounding(const FrameLanes& active)
{
    return load<H>(active) > 0.5;
}

// The scalar add-and-wrap of advancePhase, lane by lane.
template <class P>
[[gnu::always_inline]] inline P advanced(P x, P step)
{
    x = x + step;
    return select(x >= twoPi, x - twoPi, x);
}

template <class P>
[[gnu::always_inline]] inline void put(FrameLanes& lanes, int first, P v)
{
    std::memcpy(lanes.v + first, &v, sizeof v);
}

// The steady phases and their sines go through the widest register this
// build has: four at a time with AVX, two with SSE2.
#if defined(__AVX__)
using SteadyVector = Doubles<4>;
#else
using SteadyVector = Doubles<2>;
#endif
constexpr int steadyWidth = sizeof(SteadyVector) / sizeof(double);

// Advances a group of phases and lays out their next chunkFrames frames;
// the group moves on by `count` frames (fewer only at the end of a block).
// AVX2 takes four phases at a time, SSE2 two, each turned by shuffles so
// that every phase gets its own frames.
void steadyLanes(SteadyPhases& phases, ChunkInput& in, int count)
{
    using P = SteadyVector;
    constexpr int width = steadyWidth;
    static_assert(chunkFrames % width == 0 && Steady::padded % width == 0);
    for (int i = 0; i < Steady::padded; i += width) {
        P step;
        P rows[chunkFrames + 1];
        std::memcpy(&rows[0], phases.value + i, sizeof(P));
        std::memcpy(&step, phases.step + i, sizeof step);
        for (int j = 0; j < chunkFrames; ++j)
            rows[j + 1] = advanced(rows[j], step);
        P next = rows[chunkFrames];
        if (count != chunkFrames) {
            next = rows[0];
            for (int j = 0; j < count; ++j)
                next = advanced(next, step);
        }
        std::memcpy(phases.value + i, &next, sizeof next);
        for (int f = 0; f < chunkFrames; f += width) {
            const P* r = rows + f;
            FrameLanes* lanes = in.phases + i;
#if defined(__AVX__)
            const P t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 2, 6);
            const P t1 = __builtin_shufflevector(r[0], r[1], 1, 5, 3, 7);
            const P t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 2, 6);
            const P t3 = __builtin_shufflevector(r[2], r[3], 1, 5, 3, 7);
            put(lanes[0], f, __builtin_shufflevector(t0, t2, 0, 1, 4, 5));
            put(lanes[1], f, __builtin_shufflevector(t1, t3, 0, 1, 4, 5));
            put(lanes[2], f, __builtin_shufflevector(t0, t2, 2, 3, 6, 7));
            put(lanes[3], f, __builtin_shufflevector(t1, t3, 2, 3, 6, 7));
#else
            put(lanes[0], f, __builtin_shufflevector(r[0], r[1], 0, 2));
            put(lanes[1], f, __builtin_shufflevector(r[0], r[1], 1, 3));
#endif
        }
    }
}

// The chunk's steady sines, after steadyLanes has laid out its phases: each
// pair turned by 0..7 frames, then on by a whole chunk for the next one.
void steadySines(SteadyRotation& r, const SteadyPhases& phases, ChunkInput& in, bool anchor, bool chime)
{
    using P = SteadyVector;
    constexpr int width = steadyWidth;
    static_assert(SteadySine::padded % width == 0 && SteadySine::steadyPadded % width == 0);
    const int n = chime ? SteadySine::padded : SteadySine::steadyPadded;
    // The chime's pairs stand still while it is quiet: start them again from
    // exact sines when it sounds.
    if (anchor || (chime && !r.chimeTurning)) {
        constexpr double quarterTurn = pi / 2.0;
        for (int i = 0; i < n; i += width) {
            P x;
            for (int l = 0; l < width; ++l) {
                const SteadySineArgument& a = steadySineArguments[i + l];
                x[l] = a.k * in.phases[a.base].v[0] + a.c;
            }
            const P s = sineLanes(x);
            const P c = sineLanes(x + quarterTurn);
            std::memcpy(r.sine + i, &s, sizeof s);
            std::memcpy(r.cosine + i, &c, sizeof c);
        }
    }
    r.chimeTurning = chime;
    const int count = chime ? SteadySine::count : SteadySine::firstChime;
    for (int i = 0; i < count; ++i) {
        const SteadySineArgument& a = steadySineArguments[i];
        const V s = splat<V>(r.sine[i]);
        const V c = splat<V>(r.cosine[i]);
        V lanes[chunkFrames / kernelWidth] = {s * load<0>(r.frameCos[i]) + c * load<0>(r.frameSin[i])};
        if constexpr (kernelWidth < chunkFrames)
            lanes[1] = s * load<1>(r.frameCos[i]) + c * load<1>(r.frameSin[i]);
        // The phase wrapped within the chunk or at its end: from there on, an
        // argument that scales it takes the jump back with it.
        const FrameLanes& base = in.phases[a.base];
        if (a.k != 1.0 && phases.value[a.base] < base.v[0]) {
            const double ws = r.sine[i] * r.wrapCos[i] + r.cosine[i] * r.wrapSin[i];
            const double wc = r.cosine[i] * r.wrapCos[i] - r.sine[i] * r.wrapSin[i];
            r.sine[i] = ws;
            r.cosine[i] = wc;
            const V first = splat<V>(base.v[0]);
            lanes[0] = select(load<0>(base) < first,
                              splat<V>(ws) * load<0>(r.frameCos[i]) + splat<V>(wc) * load<0>(r.frameSin[i]), lanes[0]);
            if constexpr (kernelWidth < chunkFrames)
                lanes[1] = select(load<1>(base) < first,
                                  splat<V>(ws) * load<1>(r.frameCos[i]) + splat<V>(wc) * load<1>(r.frameSin[i]),
                                  lanes[1]);
        }
        store<0>(in.sines[i], lanes[0]);
        if constexpr (kernelWidth < chunkFrames)
            store<1>(in.sines[i], lanes[1]);
    }
    for (int i = 0; i < n; i += width) {
        P s, c, turnCos, turnSin;
        std::memcpy(&s, r.sine + i, sizeof s);
        std::memcpy(&c, r.cosine + i, sizeof c);
        std::memcpy(&turnCos, r.chunkCos + i, sizeof turnCos);
        std::memcpy(&turnSin, r.chunkSin + i, sizeof turnSin);
        const P sine = s * turnCos + c * turnSin;
        const P cosine = c * turnCos - s * turnSin;
        std::memcpy(r.sine + i, &sine, sizeof sine);
        std::memcpy(r.cosine + i, &cosine, sizeof cosine);
    }
}

// The expressions below keep the voices' own order of operations, term for
// term, so the render sounds as it did before it was split into chunks.

struct Stereo {
    V L, R;
};

template <int H>
V reactorLanes(const ChunkInput& in)
{
    const ModulatorLanes& m = in.m;
    const V tone = steadySine<H>(in, SteadySine::reactor40) + 0.42 * steadySine<H>(in, SteadySine::reactor80)
        + 0.24 * steadySine<H>(in, SteadySine::reactor120) + 0.11 * steadySine<H>(in, SteadySine::reactor200)
        + 0.045 * steadySine<H>(in, SteadySine::reactor320);
    const V longForm = 0.93 + 0.11 * load<H>(m.LA) - 0.03 * load<H>(m.LC);
    const V drift = 0.92 + 0.08 * (load<H>(m.DR) + 1.0) / 2.0;
    const V breath = 0.82 + 0.18 * (load<H>(m.BR) + 1.0) / 2.0;
    const V macro = 0.82 + 0.2 * load<H>(m.M1) + 0.08 * load<H>(m.M3);
    return longForm * drift * breath * macro * in.reactorLevel * tone;
}

template <int H>
void fieldLanes(const ChunkInput& in, ChunkOutput& out, Stereo& result)
{
    const ModulatorLanes& m = in.m;
    const V tone = 0.72 * steadySine<H>(in, SteadySine::fieldA) + 0.38 * steadySine<H>(in, SteadySine::fieldB)
        + 0.24 * steadySine<H>(in, SteadySine::fieldC) + 0.12 * steadySine<H>(in, SteadySine::fieldD);
    const V longForm = 0.92 + 0.14 * load<H>(m.LB);
    const V pulse = 0.58 + 0.42 * (steadySine<H>(in, SteadySine::fieldPulse) + 1.0) / 2.0;
    const V macro = 0.68 + 0.3 * (1.0 - load<H>(m.M1)) + 0.2 * load<H>(m.M2);
    const V mono = longForm * pulse * macro * in.fieldLevel * tone;

    const V p = 0.72 * steadySine<H>(in, SteadySine::fieldMotion);
    const V dryL = mono * squareRoot((1.0 - p) / 2.0);
    const V dryR = mono * squareRoot((1.0 + p) / 2.0);
    store<H>(out.fieldDryL, dryL);
    store<H>(out.fieldDryR, dryR);
    // The left tap's second half is this chunk's own first half.
    V tapL;
    if constexpr (kernelWidth == chunkFrames)
    {
        tapL = load<H>(in.fieldTapL);
        std::memcpy(reinterpret_cast<double*>(&tapL) + shortestSpatialTap, &dryL, shortestSpatialTap * sizeof(double));
    }
    else if constexpr (H * kernelWidth < shortestSpatialTap)
        tapL = load<H>(in.fieldTapL);
    else
        tapL = load<H - shortestSpatialTap / kernelWidth>(out.fieldDryL);
    result = {0.74 * dryL + 0.26 * tapL, 0.68 * dryR + 0.32 * load<H>(in.fieldTapR)};
}

template <int H>
void waveLanes(const ChunkInput& in, ChunkOutput& out, Stereo& result)
{
    const ModulatorLanes& m = in.m;
    const auto S = [&in](int which) { return steadySine<H>(in, which); };
    const V toneL = 0.28 * S(SteadySine::waveA) + 0.21 * S(SteadySine::waveB) + 0.15 * S(SteadySine::waveC)
        + 0.1 * S(SteadySine::waveD) + 0.055 * S(SteadySine::waveE) + 0.15 * load<H>(in.noiseL);
    const V toneR = 0.24 * S(SteadySine::waveRightA) + 0.19 * S(SteadySine::waveRightB)
        + 0.17 * S(SteadySine::waveRightC) + 0.09 * S(SteadySine::waveRightD) + 0.06 * S(SteadySine::waveRightE)
        + 0.15 * load<H>(in.noiseR);

    const V longForm = 0.86 + 0.26 * load<H>(m.LC);
    const V shimmer = 0.72 + 0.28 * (S(SteadySine::waveShimmer) + 1.0) / 2.0;
    const V tide = 0.18 + 0.82 * (S(SteadySine::waveTide) + 1.0) / 2.0;
    const V macro = 0.42 + 0.38 * load<H>(m.M1) + 0.28 * load<H>(m.M2) + 0.18 * load<H>(m.M3);
    const V C = longForm * shimmer * tide * macro * in.waveLevel;

    const V motion = S(SteadySine::waveMotion);
    const V dryL = C * (0.72 + 0.28 * (1.0 - motion) / 2.0) * toneL;
    const V dryR = C * (0.72 + 0.28 * (1.0 + motion) / 2.0) * toneR;
    store<H>(out.waveDryL, dryL);
    store<H>(out.waveDryR, dryR);
    const V tapL = load<H>(in.waveTapL);
    const V tapR = load<H>(in.waveTapR);
    result = {0.72 * dryL + 0.19 * tapL - 0.09 * tapR, 0.72 * dryR + 0.19 * tapR - 0.09 * tapL};
}

template <int H>
Stereo filamentLanes(const ChunkInput& in)
{
    const auto S = [&in](int which) { return steadySine<H>(in, which); };
    const V breathSine = S(SteadySine::filamentBreath);
    const V burstSine = S(SteadySine::filamentBurst);
    const V a = S(SteadySine::filamentA);
    const V b = S(SteadySine::filamentB);
    const V c = S(SteadySine::filamentC);
    const V d = S(SteadySine::filamentD);
    const V e = S(SteadySine::filamentE);
    const V f = S(SteadySine::filamentF);
    const V sideL = S(SteadySine::filamentSideL);
    const V sideR = S(SteadySine::filamentSideR);
    const V breath = (breathSine + 1.0) / 2.0;
    // max(burstSine, 0) as std::max has it: a NaN stays.
    const V burst = wholePower<7>(select(burstSine < 0.0, V{}, burstSine));
    const V low = (0.22 + 0.78 * breath) * (0.34 * a + 0.27 * b + 0.2 * c);
    const V high = (burst + 0.35) * in.filamentBrightness * (0.9 + 0.18 * load<H>(in.m.LD))
        * (0.13 * d + 0.085 * e + 0.05 * f);
    const V filament = in.filamentLevel * (low + high);

    const V p = 0.86 * S(SteadySine::filamentMotion);
    return {(0.94 + 0.06 * sideL) * squareRoot((1.0 - p) / 2.0) * filament,
            (0.94 + 0.06 * sideR) * squareRoot((1.0 + p) / 2.0) * filament};
}

template <int H>
Stereo glowwormLanes(const ChunkInput& in)
{
    const GlowwormLanes& s = in.glowworm;
    const GlowwormConstants& k = in.glowwormBlock;
    const V n = load<H>(s.index);
    const V P = load<H>(s.pulse);
    const V p = n / load<H>(s.duration);

    const V attack = minimum(p / 0.12, 1.0);
    const V release = select(p < k.releaseStart, splat<V>(1.0),
                             powerLanes(maximum(1.0 - (p - k.releaseStart) / k.releaseLength, 0.0), 1.25));
    const V attackSine = sineLanes(attack * pi / 2.0);
    const V headSine = sineLanes(pi * p);
    const V bodyEnvelope = release * attackSine;
    const V headEnvelope = powerLanes(maximum(headSine, 0.0), 0.54);
    const V trailEnvelope =
        k.trailGain * clamped((p - 0.045) / 0.14, 0.0, 1.0) * powerLanes(maximum(1.0 - p, 0.0), 0.48);

    const V h = load<H>(s.head);
    const V b1 = load<H>(s.bodyA);
    const V b2 = load<H>(s.bodyB);
    const V t1 = load<H>(s.trailA);
    const V t2 = load<H>(s.trailB);
    const V w = sineLanes(P);
    const V chirpSine = sineLanes(1.51 * h + 0.83);
    const V tremoloSine = sineLanes(0.91 * P);
    const V trail1 = sineLanes(t1 + 1.3);
    const V trail2 = sineLanes(t2 + 2.1);
    const V trailDrive = sineLanes(0.5 * t2 + 0.44);
    const V head1 = sineLanes(h);
    const V head2 = sineLanes(1.997 * h + 0.31);
    const V head3 = sineLanes(3.011 * h + 1.17);
    const V body1 = sineLanes(b1);
    const V body2 = sineLanes(b2 + 0.72);
    const V body3 = sineLanes(2.0 * b1 + 0.21);
    const V chirp = k.chirpGain * wholePower<6>(maximum(w, 0.0)) * chirpSine;
    const V tremolo = 0.6 + 0.4 * (tremoloSine + 1.0) / 2.0;

    const V trail = 0.34 * trail1 + 0.2 * trail2 + 0.12 * tanhLanes(2.0 * trailDrive);
    const V head = 0.28 * head1 + k.headDriveMix * tanhLanes(2.2 * head2 + 0.72 * head3);
    const V body = 0.62 * body1 + k.bodyDriveMix * tanhLanes(1.8 * body2 + 0.65 * body3);

    const V fadeIn = sineLanes(minimum(n / k.edgeFade, 1.0) * pi / 2.0);
    const V fadeOut = sineLanes(minimum(load<H>(s.remaining) / k.edgeFade, 1.0) * pi / 2.0);

    const V mix = chirp + trail * trailEnvelope + body * bodyEnvelope + head * (0.7 + 0.3 * w) * headEnvelope;
    const V voice = tanhLanes(1.15 * (0.92 + 0.06 * load<H>(in.m.LA) + 0.08 * load<H>(in.m.LC)) * tremolo * k.activityGain
                              * load<H>(s.intensity) * k.level * fadeIn * fadeOut * mix);

    const V position = clamped(k.panStartWeight * load<H>(s.panStart)
                                   + k.panTravelWeight * (2.0 * p - 1.0) * load<H>(s.direction),
                               -0.98, 0.98);
    const auto active = sounding<H>(s.active);
    return {select(active, k.masterGain * squareRoot((1.0 - position) / 2.0) * voice, V{}),
            select(active, k.masterGain * squareRoot((1.0 + position) / 2.0) * voice, V{})};
}

template <int H>
Stereo anomalyLanes(const ChunkInput& in)
{
    const AnomalyLanes& s = in.anomaly;
    const V t = load<H>(s.index) / load<H>(s.duration);
    const V e = powerLanes(maximum(sineLanes(pi * t), 0.0), 1.7);
    const V flutter = 0.78 + 0.22 * (sineLanes(load<H>(s.flutter)) + 1.0) / 2.0;
    const V a = sineLanes(load<H>(s.phaseA));
    const V b = sineLanes(load<H>(s.phaseB) + 0.37);
    const V c = sineLanes(load<H>(s.phaseC) + 1.08);
    const V p = sineLanes(twoPi * 0.72 * t + load<H>(s.panBias));
    const V g = (0.9 + 0.22 * load<H>(in.m.LB) * load<H>(in.m.LD)) * flutter * e * load<H>(s.intensity) * in.anomalyLevel
        * (0.54 * a + 0.30 * b + 0.16 * c);
    const auto active = sounding<H>(s.active);
    return {select(active, squareRoot((1.0 - 0.82 * p) / 2.0) * g, V{}),
            select(active, squareRoot((1.0 + 0.82 * p) / 2.0) * g, V{})};
}

template <int H>
Stereo chimeLanes(const ChunkInput& in)
{
    const ChimeLanes& s = in.chime;
    const V P = load<H>(s.presence);
    const V X = load<H>(s.crossing);
    const V I = load<H>(s.impact);
    const auto S = [&in](int which) { return steadySine<H>(in, which); };
    const V sub1 = S(SteadySine::chimeSub);
    const V sub2 = S(SteadySine::chimeSubHalf);
    const V body1 = S(SteadySine::chimeBody);
    const V body2 = S(SteadySine::chimeBodyHalf);
    const V hr = S(SteadySine::chimeRing);
    const V ha = S(SteadySine::chimeAir);
    const V breathSine = S(SteadySine::chimeBreath);
    const V strikeBody = S(SteadySine::chimeStrikeBody);
    const V strikeRing = S(SteadySine::chimeStrikeRing);
    const V strikeAir = S(SteadySine::chimeStrikeAir);
    const V hs = 0.78 * sub1 + 0.28 * sub2;
    const V hb = 0.48 * body1 + 0.25 * body2;
    const V swell = P * (0.62 * hs + 0.44 * hb) * (0.82 + 0.18 * (breathSine + 1.0) / 2.0);
    const V strike = tanhLanes(1.28 * (0.86 * strikeBody + 0.24 * strikeRing + 0.07 * strikeAir));
    const V x =
        tanhLanes(0.34 * I * strike + 0.58 * X * (0.48 * hs + 0.5 * hb + 0.26 * (0.12 * hr + 0.035 * ha)) + 1.36 * swell);

    const V p = S(SteadySine::chimePan) * (0.18 + 0.22 * P + 0.48 * P * in.chimeSpread);
    const auto audible = sounding<H>(s.audible);
    return {select(audible, 0.7 * x * squareRoot((1.0 - p) / 2.0), V{}),
            select(audible, 0.7 * x * squareRoot((1.0 + p) / 2.0), V{})};
}

// A NaN frame, before its voice is reset at the end of the block, plays as silence.
[[gnu::always_inline]] inline V playable(V x) { return select(x == x, x, V{}); }

template <int H>
void voicePart(const ChunkInput& in, ChunkOutput& out)
{
    Stereo field, wave;
    fieldLanes<H>(in, out, field);
    waveLanes<H>(in, out, wave);
    const Stereo filament = filamentLanes<H>(in);
    const V reactorBus = reactorLanes<H>(in) * load<H>(in.gateReactor);

    const V gateField = load<H>(in.gateField);
    const V gateWave = load<H>(in.gateWave);
    const V gateAnomaly = load<H>(in.gateAnomaly);
    const V gateGlowworm = load<H>(in.gateGlowworm);
    const V fieldL = field.L * gateField;
    const V fieldR = field.R * gateField;
    const V waveL = (wave.L + filament.L) * gateWave;
    const V waveR = (wave.R + filament.R) * gateWave;
    const Stereo anomaly = in.anomalySounds ? anomalyLanes<H>(in) : Stereo{};
    const Stereo glowworm = in.glowwormSounds ? glowwormLanes<H>(in) : Stereo{};
    const Stereo chime = in.chimeSounds ? chimeLanes<H>(in) : Stereo{};
    const V anomalyL = anomaly.L * gateAnomaly;
    const V anomalyR = anomaly.R * gateAnomaly;
    const V glowwormL = (glowworm.L + chime.L) * gateGlowworm;
    const V glowwormR = (glowworm.R + chime.R) * gateGlowworm;

    // Two-stage master: the glowworm bus joins after the first saturation,
    // so the drive does not apply to it. |out| never exceeds 1.
    const V drive = 0.88 + 0.12 * (load<H>(in.m.MD) + 1.0) / 2.0;
    const V innerL = tanhLanes(drive * (reactorBus + fieldL + waveL + anomalyL));
    const V innerR = tanhLanes(drive * (reactorBus + fieldR + waveR + anomalyR));
    const V g = load<H>(in.startupGain);
    const V t = load<H>(in.transportGain);
    store<H>(out.outL, playable(tanhLanes(0.92 * (innerL + glowwormL)) * g * t));
    store<H>(out.outR, playable(tanhLanes(0.92 * (innerR + glowwormR)) * g * t));

    store<H>(out.reactorBus, reactorBus);
    store<H>(out.fieldL, fieldL);
    store<H>(out.fieldR, fieldR);
    store<H>(out.waveL, waveL);
    store<H>(out.waveR, waveR);
    store<H>(out.anomalyL, anomalyL);
    store<H>(out.anomalyR, anomalyR);
    store<H>(out.glowwormL, glowwormL);
    store<H>(out.glowwormR, glowwormR);
}

void voiceLanes(const ChunkInput& in, ChunkOutput& out)
{
    voicePart<0>(in, out);
    if constexpr (kernelWidth < chunkFrames)
        voicePart<1>(in, out);
}

} // namespace
