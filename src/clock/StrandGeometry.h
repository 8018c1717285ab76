#pragma once

#include "clock/ClockFrame.h"
#include "clock/DisplayList.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Geometry that every chaos strand shares, and that the minute traveller
// reuses (its span, intensity and hash).

inline constexpr int strandPointCount = 561; // u = i / 560
inline constexpr int strandCentreIndex = 280; // u = 0.5

// Values derived once per frame.
struct StrandFrameValues {
    double E = 0;          // strand energy: accent and alignment
    double I = 0;          // strand intensity: charge, slow cycle and alignment
    double rho = 0;        // radius of the gap cut about the clock centre
    double xL = 0, xR = 0; // window edges, 3 pt beyond, in the zoomed layer
    double kA = 0, kB = 0, kC = 0; // kink factors
    double WA = 1, WW = 1; // width and opacity boosts
};

StrandFrameValues strandFrameValues(const ClockFrame& frame);

// Fixed pseudo-random value in [0, 1) for a strand's base and an index j >= 1.
// Evaluated exactly as written in double, with the C library's sine: the
// traveller feeds bases near 1e8, where one unit in the last place of the
// sine's argument already moves the result by about 0.001, and hashes that
// set a rate are multiplied by t (near 8e8), so even a last-bit change in the
// sine would move the strands by a pixel. The strands' hashes are worked out
// once; the traveller needs twelve a frame.
double strandHash(double base, int j);

// Position across the visible span for u (or a progress) in [0, 1]: xL at 0,
// cx at 0.5, xR at 1, each exactly.
double strandSpanX(double xL, double cx, double xR, double u);

using StrandRow = std::array<double, strandPointCount>;

// x of every strand point for this frame.
void strandXs(const StrandFrameValues& v, double cx, StrandRow& x);

// The S-shaped kink about the centre that every strand shares. A strand of
// amplitude amp whose waveform, measured from its centre value, is w(u) lies at
// y = cy + amp * scale[i] * (bend[i] + w(u)).
struct StrandKink {
    StrandRow scale; // 1 + kA g
    StrandRow bend;  // kC r g + kB sigma g, with its jump at the centre
};
void strandKink(const StrandFrameValues& v, StrandKink& kink);

// The polylines of one strand after the centre gap is cut out, so that every
// pass strokes the same runs.
struct StrandRuns {
    // Runs of two or more points with at least one point between them.
    static constexpr std::size_t capacity = (strandPointCount + 1) / 3;

    std::array<PathRef, capacity> paths{};
    std::size_t count = 0;

    std::span<const PathRef> runs() const { return {paths.data(), count}; }
    void stroke(DisplayList& list, const Paint& paint, double width) const
    {
        for (const PathRef& path : runs())
            list.stroke(path, paint, width);
    }
};

// Adds each run of consecutive points at distance >= rho from (cx, cy) with at
// least two points as its own polyline; points closer than rho are left out.
// At most strandPointCount points.
void addStrandRuns(DisplayList& list, std::span<const double> x, std::span<const double> y, double cx, double cy,
                   double rho, StrandRuns& out);

// The same cut for many strands that share their x, as all strands of a
// frame do: the points whose x alone keeps them clear of the gap are found
// once, so each strand tests only the few near the centre.
class StrandGap {
public:
    StrandGap(std::span<const double> x, double cx, double cy, double rho);

    // addStrandRuns(list, x, y, cx, cy, rho, out) for the x given above.
    // Without NaNs in y, which the caller may know from making it, only the
    // points near the centre need their test.
    void addRuns(DisplayList& list, std::span<const double> y, bool yMayHoldNaN, StrandRuns& out) const;

private:
    std::span<const double> m_x;
    double m_cx, m_cy, m_rho2;
    std::array<std::uint16_t, strandPointCount> m_near; // ascending
    std::size_t m_nearCount = 0;
};
