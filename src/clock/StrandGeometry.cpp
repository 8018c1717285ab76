#include "clock/StrandGeometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

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

namespace {

// Each maximal run of drawn points in [0, n) with at least two points, given
// the points left out in ascending order.
template <typename LeftOut>
void addRunsBetween(DisplayList& list, std::span<const double> x, std::span<const double> y, std::size_t n,
                    LeftOut&& leftOut, StrandRuns& out)
{
    out.count = 0;
    std::size_t start = 0; // first point of the current run
    const auto endRun = [&](std::size_t end) {
        if (end >= start + 2) {
            const std::uint32_t first = list.pointCount();
            for (std::size_t k = start; k < end; ++k)
                list.addPoint(x[k], y[k]);
            out.paths[out.count++] = list.polylineFrom(first);
        }
        start = end + 1;
    };
    leftOut(endRun);
    endRun(n);
}

bool anyNaN(std::span<const double> y)
{
    // Two lanes side by side, no early exit: the compiler keeps it in
    // vector registers.
    using Pair = double __attribute__((vector_size(16)));
    using Mask = long long __attribute__((vector_size(16)));
    Mask nan = {0, 0};
    std::size_t i = 0;
    for (; i + 2 <= y.size(); i += 2) {
        Pair v;
        std::memcpy(&v, y.data() + i, sizeof v);
        nan |= v != v;
    }
    bool found = nan[0] || nan[1];
    for (; i < y.size(); ++i)
        found |= std::isnan(y[i]);
    return found;
}

} // namespace

StrandGap::StrandGap(std::span<const double> x, double cx, double cy, double rho)
    : m_x(x.first(std::min(x.size(), static_cast<std::size_t>(strandPointCount))))
    , m_cx(cx)
    , m_cy(cy)
    , m_rho2(rho * rho)
{
    // Written so that a non-finite x counts as near, to be tested in full.
    for (std::size_t i = 0; i < m_x.size(); ++i) {
        if (!((m_x[i] - cx) * (m_x[i] - cx) >= m_rho2))
            m_near[m_nearCount++] = static_cast<std::uint16_t>(i);
    }
}

void StrandGap::addRuns(DisplayList& list, std::span<const double> y, bool yMayHoldNaN, StrandRuns& out) const
{
    assert(y.size() == m_x.size());
    const std::size_t n = std::min(m_x.size(), y.size());
    y = y.first(n);
    const auto drawn = [&](std::size_t i) {
        return (m_x[i] - m_cx) * (m_x[i] - m_cx) + (y[i] - m_cy) * (y[i] - m_cy) >= m_rho2;
    };

    if (yMayHoldNaN) {
        // A NaN, never drawn, can sit anywhere: test every point.
        addRunsBetween(list, m_x, y, n, [&](auto&& endRun) {
            for (std::size_t i = 0; i < n; ++i)
                if (!drawn(i))
                    endRun(i);
        }, out);
        return;
    }
    // Elsewhere the distance on x alone reaches rho, and adding (y - cy)²,
    // which is not negative, cannot round the sum below it.
    addRunsBetween(list, m_x, y, n, [&](auto&& endRun) {
        for (std::size_t k = 0; k < m_nearCount; ++k)
            if (const std::size_t i = m_near[k]; i < n && !drawn(i))
                endRun(i);
    }, out);
}

void addStrandRuns(DisplayList& list, std::span<const double> x, std::span<const double> y, double cx, double cy,
                   double rho, StrandRuns& out)
{
    StrandGap(x, cx, cy, rho).addRuns(list, y, anyNaN(y), out);
}
