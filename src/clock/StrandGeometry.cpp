#include "clock/StrandGeometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>

StrandFrameValues strandFrameValues(const ClockFrame& f)
{
    StrandFrameValues v;
    const double a = f.accent.active() ? f.accent.level : 0.0;
    v.E = std::min(a + 0.18 * f.A, 1.0);
    v.I = std::min(f.charge + 0.06 * f.slow[4] + 0.12 * f.A, 1.0);
    v.rho = f.R * (0.108 + 0.014 * v.I);
    const double s = std::max(f.S, 0.001);
    v.xL = f.cx + (-3 - f.cx) / s;
    v.xR = f.cx + (f.width + 3 - f.cx) / s;
    v.kA = 0.18 + 0.54 * v.I;
    v.kB = 0.08 + 0.24 * v.I;
    v.kC = 0.1 + 0.18 * v.I;
    v.WA = 1 + 0.18 * v.I;
    v.WW = 1 + 0.34 * v.I;
    return v;
}

double strandHash(double base, int j)
{
    // Kept as separate statements so that nothing fuses the sum or the product.
    const double arg = base + 78.233 * j;
    const double x = std::sin(arg) * 43758.5453123;
    return x - std::floor(x);
}

double strandSpanX(double xL, double cx, double xR, double u)
{
    // std::lerp is exact at both ends, so the centre and the edges land exactly.
    return u <= 0.5 ? std::lerp(xL, cx, 2 * u) : std::lerp(cx, xR, 2 * (u - 0.5));
}

namespace {

// The parts of the kink that depend only on u, worked out once.
struct KinkProfile {
    StrandRow g{}, r{}, sigma{};

    KinkProfile()
    {
        for (int i = 0; i < strandPointCount; ++i) {
            const double u = i / 560.0;
            const double d = (u - 0.5) / 0.17;
            g[i] = std::exp(-(d * d));
            r[i] = std::max(u - 0.5, 0.0);
            sigma[i] = u < 0.5 ? -1.0 : 1.0;
        }
    }
};

} // namespace

void strandXs(const StrandFrameValues& v, double cx, StrandRow& x)
{
    for (int i = 0; i < strandPointCount; ++i)
        x[i] = strandSpanX(v.xL, cx, v.xR, i / 560.0);
}

void strandKink(const StrandFrameValues& v, StrandKink& kink)
{
    static const KinkProfile profile;
    for (int i = 0; i < strandPointCount; ++i) {
        const double g = profile.g[i];
        kink.scale[i] = 1 + v.kA * g;
        kink.bend[i] = v.kC * profile.r[i] * g + v.kB * profile.sigma[i] * g;
    }
}

void addStrandRuns(DisplayList& list, std::span<const double> x, std::span<const double> y, double cx, double cy,
                   double rho, StrandRuns& out)
{
    assert(x.size() == y.size() && x.size() <= static_cast<std::size_t>(strandPointCount));
    out.count = 0;
    const double rho2 = rho * rho;
    const std::size_t n = std::min(x.size(), y.size());
    std::size_t start = 0; // first point of the current run
    for (std::size_t i = 0; i <= n; ++i) {
        // Written so that a non-finite point counts as left out.
        const bool drawn = i < n && (x[i] - cx) * (x[i] - cx) + (y[i] - cy) * (y[i] - cy) >= rho2;
        if (drawn)
            continue;
        if (i - start >= 2) {
            const std::uint32_t first = list.pointCount();
            for (std::size_t k = start; k < i; ++k)
                list.addPoint(x[k], y[k]);
            out.paths[out.count++] = list.polylineFrom(first);
        }
        start = i + 1;
    }
}
