// The chunk kernels against the voices' frame functions: four random frames
// through both, lane by lane, to the bit. Catches a formula that drifts in
// one form and not the other, and any lane mix-up.

#include "engine/ChunkKernel.h"
#include "engine/SimdDispatch.h"
#include "engine/SteadyRotation.h"
#include "engine/SynthesisState.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>
#include <vector>

using namespace slm::synth;

namespace {

std::vector<const ChunkKernel*> kernelsThisCpuRuns()
{
    std::vector<const ChunkKernel*> kernels{&sse2ChunkKernel};
    if (cpuRunsAvx2())
        kernels.push_back(&avx2ChunkKernel);
    return kernels;
}

bool same(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

class Draw {
public:
    explicit Draw(unsigned seed)
        : m_random(seed)
    {
    }
    double phase() { return std::uniform_real_distribution<double>(0.0, twoPi)(m_random); }
    double unit() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_random); }
    double signedUnit() { return std::uniform_real_distribution<double>(-1.0, 1.0)(m_random); }
    std::int64_t below(std::int64_t n) { return std::uniform_int_distribution<std::int64_t>(0, n - 1)(m_random); }

private:
    std::mt19937_64 m_random;
};

SlowModulatorState randomModulators(Draw& d)
{
    return {d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase()};
}

void setLane(ModulatorLanes& lanes, int j, const Modulators& m)
{
    lanes.M1.v[j] = m.M1;
    lanes.M2.v[j] = m.M2;
    lanes.M3.v[j] = m.M3;
    lanes.MD.v[j] = m.MD;
    lanes.LA.v[j] = m.LA;
    lanes.LB.v[j] = m.LB;
    lanes.LC.v[j] = m.LC;
    lanes.LD.v[j] = m.LD;
    lanes.BR.v[j] = m.BR;
    lanes.DR.v[j] = m.DR;
}

} // namespace

// Every voice at once, events sounding in some lanes and not in others.
TEST(ChunkKernel, VoicesAndEventsMatchTheFrameFunctions)
{
    constexpr double rate = 48000.0;
    constexpr int writeIndex = 40;
    Draw d(2);
    for (const ChunkKernel* kernel : kernelsThisCpuRuns()) {
        for (int round = 0; round < 300; ++round) {
            ChunkInput in{};
            in.reactorLevel = 0.5 + d.unit();
            in.fieldLevel = 0.5 + d.unit();
            in.waveLevel = 0.5 + d.unit();
            const FilamentBlock filamentBlock(d.unit(), d.unit(), d.unit(), d.unit());
            in.filamentLevel = filamentBlock.level;
            in.filamentBrightness = filamentBlock.brightness;
            in.anomalyLevel = d.unit();
            const GlowwormBlock glowwormBlock(d.unit(), d.unit(), d.unit(), d.unit(), d.unit(), 2.0 * d.unit(), rate);
            const GlowwormBlock& k = glowwormBlock;
            in.glowwormBlock = {k.level,        k.masterGain, k.releaseStart, k.releaseLength,
                                k.chirpGain,    k.headDriveMix, k.bodyDriveMix, k.trailGain,
                                k.activityGain, k.panStartWeight, k.panTravelWeight, k.edgeFade};
            HalfMinuteChimeBlock chimeBlock{{}, 0.0, 0.0, 0.0}; // envelopes hold
            chimeBlock.targets.spread = in.chimeSpread = d.unit();
            in.glowwormSounds = in.anomalySounds = in.chimeSounds = true;

            StereoFrame field[chunkFrames], wave[chunkFrames], filament[chunkFrames];
            StereoFrame glowworm[chunkFrames], anomaly[chunkFrames], chime[chunkFrames];
            double reactor[chunkFrames], fieldDryL[chunkFrames];
            for (int j = 0; j < chunkFrames; ++j) {
                const Modulators m = modulatorsOf(randomModulators(d));
                setLane(in.m, j, m);

                const ReactorState re{d.phase(), d.phase(), d.phase(), d.phase(), d.phase()};
                in.phases[Steady::reactor40].v[j] = re.phase40;
                in.phases[Steady::reactor80].v[j] = re.phase80;
                in.phases[Steady::reactor120].v[j] = re.phase120;
                in.phases[Steady::reactor200].v[j] = re.phase200;
                in.phases[Steady::reactor320].v[j] = re.phase320;
                reactor[j] = reactorFrame(re, m, in.reactorLevel) * (in.gateReactor.v[j] = d.unit());

                FieldState fi;
                fi.phaseA = in.phases[Steady::fieldA].v[j] = d.phase();
                fi.phaseB = in.phases[Steady::fieldB].v[j] = d.phase();
                fi.phaseC = in.phases[Steady::fieldC].v[j] = d.phase();
                fi.phaseD = in.phases[Steady::fieldD].v[j] = d.phase();
                fi.pulsePhase = in.phases[Steady::fieldPulse].v[j] = d.phase();
                fi.motionPhase = in.phases[Steady::fieldMotion].v[j] = d.phase();
                // Past the shortest tap the kernel reads this chunk's own dry values, whatever the lane holds.
                in.fieldTapL.v[j] = d.signedUnit();
                fi.delayL.samples[writeIndex - 4] =
                    j < shortestSpatialTap ? in.fieldTapL.v[j] : fieldDryL[j - shortestSpatialTap];
                fi.delayR.samples[writeIndex - 13] = in.fieldTapR.v[j] = d.signedUnit();
                field[j] = fieldFrame(fi, m, in.fieldLevel, writeIndex);
                fieldDryL[j] = fi.delayL.samples[writeIndex];

                WaveState wa;
                wa.phaseA = in.phases[Steady::waveA].v[j] = d.phase();
                wa.phaseB = in.phases[Steady::waveB].v[j] = d.phase();
                wa.phaseC = in.phases[Steady::waveC].v[j] = d.phase();
                wa.phaseD = in.phases[Steady::waveD].v[j] = d.phase();
                wa.phaseE = in.phases[Steady::waveE].v[j] = d.phase();
                wa.motionPhase = in.phases[Steady::waveMotion].v[j] = d.phase();
                wa.tidePhase = in.phases[Steady::waveTide].v[j] = d.phase();
                wa.shimmerPhase = in.phases[Steady::waveShimmer].v[j] = d.phase();
                wa.delayL.samples[writeIndex - 9] = in.waveTapL.v[j] = d.signedUnit();
                wa.delayR.samples[writeIndex - 23] = in.waveTapR.v[j] = d.signedUnit();
                in.noiseL.v[j] = d.signedUnit();
                in.noiseR.v[j] = d.signedUnit();
                wave[j] = waveFrame(wa, m, in.waveLevel, in.noiseL.v[j], in.noiseR.v[j], writeIndex);

                const FilamentState fl{d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase(), d.phase()};
                in.phases[Steady::filamentA].v[j] = fl.phaseA;
                in.phases[Steady::filamentB].v[j] = fl.phaseB;
                in.phases[Steady::filamentC].v[j] = fl.phaseC;
                in.phases[Steady::filamentD].v[j] = fl.phaseD;
                in.phases[Steady::filamentE].v[j] = fl.phaseE;
                in.phases[Steady::filamentF].v[j] = fl.phaseF;
                in.phases[Steady::filamentMotion].v[j] = fl.motionPhase;
                in.phases[Steady::filamentBreath].v[j] = fl.breathPhase;
                filament[j] = filamentFrame(fl, filamentBlock, m.LD);

                // A call somewhere in its course, or none (frozen: no new one starts).
                GlowwormState g;
                g.active = (round + j) % 3 != 0;
                g.durationSamples = 1000 + d.below(400000);
                g.sampleIndex = d.below(g.durationSamples - 1);
                g.pulsePhase = d.phase();
                g.headPhase = d.phase();
                g.bodyPhaseA = d.phase();
                g.bodyPhaseB = d.phase();
                g.trailPhaseA = d.phase();
                g.trailPhaseB = d.phase();
                g.intensity = 0.9 + 0.45 * d.unit();
                g.panStart = -0.35 + 0.7 * d.unit();
                g.direction = d.unit() < 0.5 ? -1.0 : 1.0;
                GlowwormLanes& gl = in.glowworm;
                gl.active.v[j] = g.active ? 1.0 : 0.0;
                gl.index.v[j] = static_cast<double>(g.sampleIndex);
                gl.duration.v[j] = static_cast<double>(g.durationSamples);
                gl.remaining.v[j] = static_cast<double>(g.durationSamples - g.sampleIndex);
                gl.pulse.v[j] = g.pulsePhase;
                gl.head.v[j] = g.headPhase;
                gl.bodyA.v[j] = g.bodyPhaseA;
                gl.bodyB.v[j] = g.bodyPhaseB;
                gl.trailA.v[j] = g.trailPhaseA;
                gl.trailB.v[j] = g.trailPhaseB;
                gl.intensity.v[j] = g.intensity;
                gl.panStart.v[j] = g.panStart;
                gl.direction.v[j] = g.direction;
                std::uint64_t random = noiseSeed;
                glowworm[j] = glowwormFrame(g, random, rate, true, glowwormBlock, m.LA, m.LC);
                in.gateGlowworm.v[j] = d.unit();

                AnomalyState a;
                a.active = (round + j) % 4 != 1;
                a.durationSamples = 1000 + d.below(500000);
                a.sampleIndex = d.below(a.durationSamples - 1);
                a.phaseA = d.phase();
                a.phaseB = d.phase();
                a.phaseC = d.phase();
                a.flutterPhase = d.phase();
                a.panBias = (2.0 * d.unit() - 1.0) * pi;
                a.intensity = 0.62 + 0.38 * d.unit();
                AnomalyLanes& al = in.anomaly;
                al.active.v[j] = a.active ? 1.0 : 0.0;
                al.index.v[j] = static_cast<double>(a.sampleIndex);
                al.duration.v[j] = static_cast<double>(a.durationSamples);
                al.phaseA.v[j] = a.phaseA;
                al.phaseB.v[j] = a.phaseB;
                al.phaseC.v[j] = a.phaseC;
                al.flutter.v[j] = a.flutterPhase;
                al.panBias.v[j] = a.panBias;
                al.intensity.v[j] = a.intensity;
                anomaly[j] = anomalyFrame(a, random, rate, true, in.anomalyLevel, m.LB, m.LD);
                in.gateAnomaly.v[j] = d.unit();

                HalfMinuteChimeState c;
                const bool quiet = (round + j) % 5 == 2;
                c.presenceEnvelope = in.chime.presence.v[j] = quiet ? 0.0 : d.unit();
                c.crossingEnvelope = in.chime.crossing.v[j] = quiet ? 0.0 : d.unit();
                c.impactEnvelope = in.chime.impact.v[j] = quiet ? 0.0 : d.unit();
                in.chime.audible.v[j] = quiet ? 0.0 : 1.0;
                c.phaseSub = in.phases[Steady::chimeSub].v[j] = d.phase();
                c.phaseBody = in.phases[Steady::chimeBody].v[j] = d.phase();
                c.phaseRing = in.phases[Steady::chimeRing].v[j] = d.phase();
                c.phaseAir = in.phases[Steady::chimeAir].v[j] = d.phase();
                chime[j] = halfMinuteChimeFrame(c, chimeBlock, fl.breathPhase, fl.motionPhase);

                in.gateField.v[j] = d.unit();
                in.gateWave.v[j] = d.unit();
                in.startupGain.v[j] = d.unit();
                in.transportGain.v[j] = d.unit();
            }

            exactSteadySines(in);
            ChunkOutput out;
            kernel->voices(in, out);
            for (int j = 0; j < chunkFrames; ++j) {
                SCOPED_TRACE(testing::Message() << kernel->name << " round " << round << " lane " << j);
                EXPECT_TRUE(same(out.reactorBus.v[j], reactor[j]));
                EXPECT_TRUE(same(out.fieldL.v[j], field[j].L * in.gateField.v[j]));
                EXPECT_TRUE(same(out.fieldR.v[j], field[j].R * in.gateField.v[j]));
                EXPECT_TRUE(same(out.waveL.v[j], (wave[j].L + filament[j].L) * in.gateWave.v[j]));
                EXPECT_TRUE(same(out.waveR.v[j], (wave[j].R + filament[j].R) * in.gateWave.v[j]));
                EXPECT_TRUE(same(out.anomalyL.v[j], anomaly[j].L * in.gateAnomaly.v[j]));
                EXPECT_TRUE(same(out.anomalyR.v[j], anomaly[j].R * in.gateAnomaly.v[j]));
                EXPECT_TRUE(same(out.glowwormL.v[j], (glowworm[j].L + chime[j].L) * in.gateGlowworm.v[j]));
                EXPECT_TRUE(same(out.glowwormR.v[j], (glowworm[j].R + chime[j].R) * in.gateGlowworm.v[j]));
            }
            if (HasFailure())
                return;
        }
    }
}
