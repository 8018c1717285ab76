#include "clock/ChaosStrands.h"
#include "clock/SineWalk.h"

#include "math/Trig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace {

constexpr double twoPi = 2 * std::numbers::pi;
constexpr int N = strandPointCount;

// Rows computed a pair at a time run one point past the strand.
using PaddedRow = std::array<double, N + 1>;

void store(PaddedRow& row, int i, SineWalk::Pair value) { std::memcpy(row.data() + i, &value, sizeof value); }

// Envelopes depend only on u, so they are worked out once.
struct Envelopes {
    StrandRow threads{}, ribbons{}, spine{}, fine{}, ripple{};

    Envelopes()
    {
        for (int i = 0; i < N; ++i) {
            const double u = i / 560.0;
            const double s = slm::math::sine(std::numbers::pi * u);
            const auto env = [s](double e, double a) { return a + (1 - a) * std::pow(s, e); };
            threads[i] = env(0.18, 0.4);
            ribbons[i] = env(0.16, 0.36);
            spine[i] = env(0.18, 0.42);
            fine[i] = env(0.22, 0.42);
            const double d = (u - 0.5) / 0.22;
            ripple[i] = std::exp(-(d * d));
        }
    }
};

const Envelopes& envelopes()
{
    static const Envelopes e;
    return e;
}

constexpr std::array<double, 4> echoOffsets{0.16, 0.34, 0.62, 0.96};

// The strands' hashes and the echoes' weights do not change from frame to
// frame, so they are worked out once.
struct FixedValues {
    double threads[14][16]{};
    double ribbons[15][14]{};
    double fine[5][11]{};
    std::array<double, 4> spineEchoWeight{}, fineEchoWeight{};

    FixedValues()
    {
        for (int k = 0; k <= 13; ++k)
            for (int j = 1; j <= 15; ++j)
                threads[k][j] = strandHash((3.17 * k + 1000) * 12.9898, j);
        for (int k = 0; k <= 14; ++k)
            for (int j = 1; j <= 13; ++j)
                ribbons[k][j] = strandHash((5.11 * k + 2000) * 12.9898, j);
        for (int j = 0; j < 5; ++j)
            for (int n = 1; n <= 10; ++n)
                fine[j][n] = strandHash((4.73 * j + 9100) * 12.9898, n);
        for (int e = 0; e < 4; ++e) {
            spineEchoWeight[e] = std::pow(1 - e / 5.0, 1.25);
            fineEchoWeight[e] = std::pow(1 - e / 5.0, 1.3);
        }
    }
};

const FixedValues& fixedValues()
{
    static const FixedValues values;
    return values;
}

// Everything one frame's strands share, plus scratch rows for one strand at a time.
struct StrandPass {
    DisplayList& list;
    const ClockFrame& f;
    StrandFrameValues v;
    StrandRow x;
    StrandKink kink;
    PaddedRow wave; // the waveform before its envelope
    StrandRow y;
    StrandRuns runs;
    StrandGap gap;

    StrandPass(DisplayList& l, const ClockFrame& frame)
        : list(l)
        , f(frame)
        , v(strandFrameValues(frame))
        , gap(xsOf(v, f.cx, x), f.cx, f.cy, v.rho)
    {
        strandKink(v, kink);
    }

    static const StrandRow& xsOf(const StrandFrameValues& v, double cx, StrandRow& x)
    {
        strandXs(v, cx, x);
        return x;
    }

    // Lays `wave` out along the kink, measured from its value at the centre,
    // and adds the runs left after the gap is cut.
    const StrandRuns& place(const StrandRow& env, double amp)
    {
        const double w0 = wave[strandCentreIndex];
        std::int64_t nan = 0;
        for (int i = 0; i < N; ++i) {
            y[i] = f.cy + amp * kink.scale[i] * (kink.bend[i] + (wave[i] * env[i] - w0));
            nan |= y[i] != y[i];
        }
        gap.addRuns(list, y, nan != 0, runs);
        return runs;
    }

    const StrandRuns& placeRaw()
    {
        std::int64_t nan = 0;
        for (int i = 0; i < N; ++i)
            nan |= y[i] != y[i];
        gap.addRuns(list, y, nan != 0, runs);
        return runs;
    }
};

void drawThreads(StrandPass& p)
{
    constexpr std::array<Tint, 6> tints{Tint::blue, Tint::blue, Tint::cyan, Tint::purple, Tint::orange, Tint::red};
    const double t = p.f.t;
    for (int k = 0; k <= 13; ++k) {
        const double* h = fixedValues().threads[k];
        const double f1 = 3.8 + 4.2 * h[1], f2 = 7.0 + 6.8 * h[2], f3 = 12.0 + 12.5 * h[3];
        const double f4 = 20.0 + 20.0 * h[4], f5 = 1.4 + 2.6 * h[14];
        const double p1 = twoPi * h[6] + t * (0.45 + 0.75 * h[5]);
        const double p2 = twoPi * h[8] + t * (0.85 + 1.1 * h[7]);
        const double p3 = twoPi * h[10] + t * (1.35 + 1.55 * h[9]);
        const double p4 = twoPi * h[12] + t * (2.1 + 1.9 * h[11]);
        const double p5 = t * (0.55 + 1.1 * h[15]);
        const double q = 0.7 * k;

        SineWalk s1(-p1, f1), s2(p2, f2), s3(-p3, f3), s4(p4, f4), s5(q + p5, f5);
        for (int i = 0; i < N; i += 2) {
            const SineWalk::Pair swing = s1.next() + 0.64 * s2.next() + 0.38 * s3.next() + 0.22 * s4.next();
            store(p.wave, i, (0.78 + 0.22 * s5.next()) * swing);
        }
        const double amp = 0.8 * p.f.R * (0.028 + 0.005 * (k % 5) + 0.055 * h[13]);
        const StrandRuns& runs = p.place(envelopes().threads, amp);

        const Tint colour = tints[k % 6];
        const double n = 17 - k;
        const double WW = p.v.WW, WA = p.v.WA;
        runs.stroke(p.list, DisplayList::solid(tint(colour, WW * (0.13 + 0.0095 * n))), 0.78 * WA);
        runs.stroke(p.list, DisplayList::solid(tint(colour, WW * (0.04 + 0.003 * n))), 2.9 * WA);
        runs.stroke(p.list, DisplayList::solid(tint(Tint::white, WW * (0.06 + 0.0045 * n))), 0.34 * WA);
    }
}

void drawRibbons(StrandPass& p)
{
    constexpr std::array<Tint, 8> tints{Tint::cyan,   Tint::blue,   Tint::purple, Tint::pink,
                                        Tint::yellow, Tint::orange, Tint::red,    Tint::white};
    const double t = p.f.t;
    const double E = p.v.E, WW = p.v.WW, WA = p.v.WA;
    for (int k = 0; k <= 14; ++k) {
        const double w = 1 - k / 14.0;
        const double* h = fixedValues().ribbons[k];
        const double f1 = 2.0 + 2.7 * h[1], f2 = 3.9 + 3.8 * h[2], f3 = 6.6 + 5.0 * h[3], f4 = 11.8 + 8.0 * h[4];
        const double p1 = twoPi * h[6] + t * (0.72 + 0.85 * h[5]);
        const double p2 = twoPi * h[8] + t * (1.08 + 0.95 * h[7]);
        const double p3 = twoPi * h[10] + t * (1.65 + 1.2 * h[9]);
        const double p4 = twoPi * h[12] + t * (2.7 + 1.8 * h[11]);

        SineWalk s1(-p1, f1), s2(p2, f2), s3(-p3, f3), s4(p4, f4);
        for (int i = 0; i < N; i += 2)
            store(p.wave, i, s1.next() + 0.74 * s2.next() + 0.42 * s3.next() + 0.24 * s4.next());
        const double amp = 0.8 * p.f.R * (0.12 + 0.016 * (k % 4) + 0.19 * h[13]);
        const StrandRuns& runs = p.place(envelopes().ribbons, amp);

        const Tint colour = tints[k % 8];
        runs.stroke(p.list, DisplayList::solid(tint(colour, WW * (0.15 + 0.1 * w + 0.04 * E))),
                    WA * (7.4 + 2 * w + 3.2 * E));
        runs.stroke(p.list, DisplayList::solid(tint(colour, WW * (0.56 + 0.16 * w + 0.08 * E))), 1.85 * WA);
        runs.stroke(p.list, DisplayList::solid(tint(Tint::white, WW * (0.18 + 0.1 * w + 0.05 * E))), 0.56 * WA);
    }
}

// The spine's waveform at time te, into p.wave.
void spineWave(StrandPass& p, double te)
{
    const double f1 = 5.197079081760602, f2 = 8.779044387291288, f3 = 18.203929962493568;
    const double f4 = 29.02278819323874, f5 = 2.3885694505489483;
    const double p1 = 1.8284083523067238 * te + 0.47427945113999587;
    const double p2 = 2.042293306517604 * te + 2.4569022499661997;
    const double p3 = 2.9078541358714576 * te + 5.47150713645149;
    const double p4 = 4.266146679132544 * te + 4.490351334516929;
    const double p5 = 1.114974886476557 * te;

    SineWalk s1(-p1, f1), s2(p2, f2), s3(-p3, f3), s4(p4, f4), s5(p5, f5);
    for (int i = 0; i < N; i += 2) {
        const SineWalk::Pair swing = s1.next() + 0.6 * s2.next() + 0.34 * s3.next() + 0.18 * s4.next();
        store(p.wave, i, (0.8 + 0.2 * s5.next()) * swing);
    }
}

// The spine's gradient runs blue, cyan, purple, pink, white, yellow, orange, red
// across the visible span; each stop gets its own opacity.
Paint spineGradient(StrandPass& p, const std::array<double, 8>& opacity)
{
    constexpr std::array<Tint, 8> tints{Tint::blue,  Tint::cyan,   Tint::purple, Tint::pink,
                                        Tint::white, Tint::yellow, Tint::orange, Tint::red};
    std::array<Rgba, 8> stops;
    for (std::size_t i = 0; i < stops.size(); ++i)
        stops[i] = tint(tints[i], opacity[i]);
    const Point2 start{static_cast<float>(p.v.xL), static_cast<float>(p.f.cy)};
    const Point2 end{static_cast<float>(p.v.xR), static_cast<float>(p.f.cy)};
    return p.list.linear(start, end, std::span<const Rgba>(stops));
}

void drawSpine(StrandPass& p)
{
    const double I = p.v.I, E = p.v.E, WA = p.v.WA, WW = p.v.WW;
    const double R = p.f.R;

    spineWave(p, p.f.t);
    const StrandRuns& runs = p.place(envelopes().spine, R * (0.208 + 0.056 * E));
    const Paint glow = spineGradient(p, {0.4 + 0.07 * I, 0.44 + 0.09 * I, 0.44 + 0.08 * I, 0.42 + 0.08 * I,
                                         0.4 + 0.07 * I, 0.45 + 0.07 * I, 0.45 + 0.08 * I, 0.4 + 0.05 * I});
    runs.stroke(p.list, glow, (12 + 6 * E) * WA);
    const Paint line = spineGradient(p, {1, 1, 1, 1, 1, 1, 1, 1});
    const Paint highlight = DisplayList::solid(tint(Tint::white, 0.38 * WW));
    for (const PathRef& run : runs.runs()) {
        p.list.stroke(run, line, 2.95 * WA);
        p.list.stroke(run, highlight, 0.78 * WA);
    }

    for (int e = 0; e < 4; ++e) {
        const double we = fixedValues().spineEchoWeight[e];
        spineWave(p, p.f.t - echoOffsets[e]);
        const StrandRuns& echo = p.place(envelopes().spine, R * (0.198 + 0.04 * E));
        const double a = 0.02 * I + 0.1 * we;
        const Paint paint = spineGradient(p, {0.9 * a, a, 0.95 * a, 0.9 * a, 0.86 * a, 0.9 * a, 0.9 * a, 0.82 * a});
        const Paint white = DisplayList::solid(tint(Tint::white, 0.08 * we));
        const double swell = 1 + 0.04 * I + 0.05 * we;
        for (const PathRef& run : echo.runs()) {
            p.list.stroke(run, paint, 6 * swell);
            p.list.stroke(run, white, 0.42 * swell);
        }
    }
}

void drawFineThreads(StrandPass& p)
{
    constexpr std::array<Tint, 5> tints{Tint::cyan, Tint::blue, Tint::purple, Tint::orange, Tint::white};
    const auto& h = fixedValues().fine;
    for (int e = 0; e < 4; ++e) {
        const double te = p.f.t - echoOffsets[e];
        const double we = fixedValues().fineEchoWeight[e];
        for (int j = 0; j < 5; ++j) {
            const double* hj = h[j];
            const double f1 = 3.4 + 3.5 * hj[1], f2 = 7.6 + 5.4 * hj[2], f3 = 12.8 + 9.0 * hj[3];
            const double p1 = twoPi * hj[5] + te * (0.62 + 0.55 * hj[4]);
            const double p2 = twoPi * hj[7] + te * (1.12 + 0.95 * hj[6]);
            const double p3 = twoPi * hj[9] + te * (1.84 + 1.15 * hj[8]);

            SineWalk s1(-p1, f1), s2(p2, f2), s3(-p3, f3);
            for (int i = 0; i < N; i += 2)
                store(p.wave, i, s1.next() + 0.6 * s2.next() + 0.3 * s3.next());
            const double amp = 0.75 * p.f.R * (0.042 + 0.004 * j + 0.03 * hj[10]);
            const StrandRuns& runs = p.place(envelopes().fine, amp);
            runs.stroke(p.list, DisplayList::solid(tint(tints[j], 0.045 + 0.04 * we)), 1.45 * we);
        }
    }
}

void drawAlignmentRipples(StrandPass& p)
{
    const double v = std::max(p.f.align[1], p.f.align[2]);
    if (!(v > 0.01))
        return;
    constexpr std::array<Tint, 4> tints{Tint::cyan, Tint::white, Tint::purple, Tint::orange};
    const double R = p.f.R, t = p.f.t;
    const StrandRow& env = envelopes().ripple;
    for (int j = 0; j < 4; ++j) {
        const double amp = R * (0.09 + 0.016 * j + 0.055 * v);
        const double q = t * (1.3 + 0.18 * j) + 0.21 * (12000 + 3.17 * j);
        const double fa = 2 + 0.55 * j, fb = 5.4 + 0.4 * j;
        const double level = p.f.cy + 0.085 * R * (j - 1.5);

        SineWalk sa(-q, fa), sb(1.8 * q, fb);
        for (int i = 0; i < N; i += 2)
            store(p.wave, i, 0.66 * sa.next() + 0.22 * sb.next());
        for (int i = 0; i < N; ++i)
            p.y[i] = level + amp * env[i] * p.wave[i];
        const StrandRuns& runs = p.placeRaw();
        runs.stroke(p.list, DisplayList::solid(tint(tints[j], 0.1 + 0.2 * v)), (1 + 0.7 * v) * (1.2 + 0.15 * j));
        runs.stroke(p.list, DisplayList::solid(tint(Tint::white, 0.07 + 0.12 * v)), 0.36 * (1 + 0.55 * v));
    }
}

// Strands per frame: 14 threads, 15 ribbons, the spine and 4 echoes, 20 fine
// threads and up to 4 ripples; a few ops each.
constexpr std::size_t strandCount = 14 + 15 + 5 + 20 + 4;

} // namespace

void drawChaosStrands(DisplayList& list, const ClockFrame& frame)
{
    list.reserve(list.ops().size() + 8 * strandCount, list.pointCount() + strandCount * N, 0);
    StrandPass pass(list, frame);
    drawThreads(pass);
    drawRibbons(pass);
    drawSpine(pass);
    drawFineThreads(pass);
    drawAlignmentRipples(pass);
}
