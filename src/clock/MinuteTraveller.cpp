#include "clock/MinuteTraveller.h"
#include "clock/StrandGeometry.h"

#include "math/Trig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;

constexpr std::array<double, 5> trailOffsets{0.22, 0.48, 0.82, 1.18, 1.6};
constexpr int segmentCount = 24;

// Weights along the trail and down the body, the same every frame.
struct Weights {
    std::array<double, 5> trail{};
    std::array<double, segmentCount> body{};

    Weights()
    {
        for (int j = 0; j < 5; ++j)
            trail[j] = std::pow(1 - j / 6.0, 1.18);
        for (int i = 0; i < segmentCount; ++i)
            body[i] = std::pow(1 - i / 23.0, 1.1);
    }
};

const Weights& weights()
{
    static const Weights w;
    return w;
}

Rgba colour(const TravellerColor& c, double opacity) { return srgb(c.r, c.g, c.b, opacity); }

TravellerColor mix(const TravellerColor& a, const TravellerColor& b, double x)
{
    return {a.r + x * (b.r - a.r), a.g + x * (b.g - a.g), a.b + x * (b.b - a.b)};
}

// What the head, the body and the trail share in one frame.
struct TravellerFrame {
    double cx, cy, R, t, I;
    double xL, xR;
    double pm;
    TravellerWander wander;

    explicit TravellerFrame(const ClockFrame& f)
        : cx(f.cx)
        , cy(f.cy)
        , R(f.R)
        , t(f.t)
        , I(0)
        , xL(0)
        , xR(0)
        , pm(std::clamp(f.secF / 60, 0.0, 0.999999))
        , wander(std::floor(f.t / 60) + 17, f.t, 0.2 * f.R)
    {
        const StrandFrameValues v = strandFrameValues(f);
        I = v.I;
        xL = v.xL;
        xR = v.xR;
    }

    Point2d at(double p, double omega) const
    {
        return {strandSpanX(xL, cx, xR, p), cy + wander.offset(p, omega)};
    }
    Point2d head() const { return at(pm, 0.22 * slm::math::sine(1.05 * t)); }
};

// The slow swell of the body and the head.
double massMod(const TravellerStage& st, double t)
{
    return 0.9 + 0.22 * st.k.mass * (0.5 + 0.5 * slm::math::sine(t * (1.18 + 0.16 * st.s) + pi * st.lp));
}

Point2 point(const Point2d& p) { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }

void fillRadial(DisplayList& list, const Point2d& at, double radius, std::initializer_list<Rgba> stops)
{
    if (!(radius > 0))
        return;
    list.fill(list.circle(at.x, at.y, radius), list.radial(point(at), 0, radius, stops));
}

void fillDisc(DisplayList& list, const Point2d& at, double radius, Rgba c)
{
    if (!(radius > 0))
        return;
    list.fill(list.circle(at.x, at.y, radius), DisplayList::solid(c));
}

void strokeRing(DisplayList& list, const Point2d& at, double radius, Rgba c, double width)
{
    if (!(radius > 0))
        return;
    list.stroke(list.circle(at.x, at.y, radius), DisplayList::solid(c), width);
}

void drawTrail(DisplayList& list, const TravellerFrame& tf)
{
    const double R = tf.R, I = tf.I;
    for (int j = 0; j < 5; ++j) {
        const double w = weights().trail[j];
        const double pj = std::max(tf.pm - trailOffsets[j] / 60, 0.0);
        const TravellerKeyframe k = keyframeAt(pj).k;
        const Point2d at = tf.at(pj, 0.18 * slm::math::sine(1.02 * (tf.t - trailOffsets[j])));

        fillRadial(list, at, R * (0.058 + 0.016 * w + 0.01 * I),
                   {colour(k.head, 0.14 + 0.1 * w), colour(k.body, 0.1 + 0.08 * w), colour(k.tail, 0.04 + 0.04 * w),
                    clearColor});
        fillRadial(list, at, R * (0.045 + 0.016 * w),
                   {colour(k.head, 0.55 * 0.36), colour(k.head, 0.55 * 0.1), clearColor});
        fillDisc(list, at, R * (0.01 + 0.004 * w), colour(k.head, 0.55));
        strokeRing(list, at, R * (0.016 + 0.008 * w), colour(k.body, 0.08 + 0.05 * w), 0.55 + 0.26 * w);
    }
}

void drawBody(DisplayList& list, const TravellerFrame& tf, const TravellerStage& st)
{
    const TravellerKeyframe& k = st.k;
    const double t = tf.t, pm = tf.pm, R = tf.R, I = tf.I;
    const double s = st.s;
    const double breathMod = 0.88 + 0.2 * k.breath * (0.5 + 0.5 * slm::math::sine(t * (1.55 + 0.22 * s) + 2 * pi * st.lp));
    const double swell = massMod(st, t);
    const double sway = 0.18 * slm::math::sine(0.9 * t);
    const double spacing = 0.004 + 0.0018 * k.mass;

    for (int i = 0; i < segmentCount; ++i) {
        const double p = std::max(pm - spacing * i, 0.0);
        const Point2d at = tf.at(p, sway + 0.065 * i);

        const double tau = weights().body[i];
        const double wave = slm::math::sine(5.5 * pi * pm + t * (3 + 0.42 * s) - 0.66 * i);
        const double ripple = 0.78 + 0.28 * (0.5 + 0.5 * wave);
        const double m = std::clamp(0.26 * ripple + 0.74 * tau, 0.0, 1.0);
        const TravellerColor c = mix(k.tail, k.body, m);

        fillRadial(list, at, k.glow * R * (0.022 + 0.042 * tau + 0.008 * ripple + 0.016 * I),
                   {colour(c, 0.36), colour(c, 0.1), clearColor});
        fillDisc(list, at, breathMod * (0.7 + 1.62 * tau), colour(c, 1));
        const double z = k.mass * ripple * swell * (0.66 + 2.45 * tau);
        fillRadial(list, at, 0.84 * z,
                   {colour(k.head, std::min(0.1 * ripple + 0.32 * tau, 1.0)),
                    colour(mix(c, k.head, 0.14 + 0.4 * tau), std::min(0.92 * tau + 0.05, 1.0)),
                    colour(c, 0.54 * tau + 0.08), clearColor});
    }
}

void drawHead(DisplayList& list, const TravellerFrame& tf, const TravellerStage& st)
{
    const TravellerKeyframe& k = st.k;
    const double t = tf.t, pm = tf.pm, R = tf.R, I = tf.I, b = st.b;
    const Point2d at = tf.head();
    const double ph = 0.86 + 0.24 * k.breath * (0.5 + 0.5 * slm::math::sine(8 * pi * pm + t * (2 + 0.28 * st.s)));
    const double swell = massMod(st, t);

    fillRadial(list, at, k.glow * R * (0.0912 + 0.036 * I + 0.0096 * b) * ph,
               {colour(k.head, 0.4 + 0.1 * I + 0.14 * b), colour(k.body, 0.3 + 0.08 * I + 0.12 * b),
                colour(k.tail, 0.12 + 0.05 * I), clearColor});
    fillRadial(list, at, k.glow * R * (0.106 + 0.052 * I + 0.016 * b),
               {colour(k.head, 0.36), colour(k.head, 0.1), clearColor});
    fillDisc(list, at, k.mass * swell * R * 0.0222 * ph, colour(k.head, 1));
    fillRadial(list, at, k.mass * swell * R * 0.01464 * ph,
               {colour(k.head, 1), colour(k.body, 0.9), colour(k.tail, 0.4), clearColor});
    fillRadial(list, at, R * (0.00528 + 0.0015 * k.glow), {tint(Tint::white), colour(k.head, 0.96), clearColor});
    strokeRing(list, at, k.ring * R * (0.0228 + 0.012 * ph), colour(k.body, 0.2 + 0.12 * b), 0.85 + 0.58 * b);
}

} // namespace

Point2d minuteTravellerHead(const ClockFrame& frame) { return TravellerFrame(frame).head(); }

void drawMinuteTraveller(DisplayList& list, const ClockFrame& frame)
{
    const TravellerFrame tf(frame);
    const TravellerStage st = keyframeAt(tf.pm);
    drawTrail(list, tf);
    drawBody(list, tf, st);
    drawHead(list, tf, st);
}
