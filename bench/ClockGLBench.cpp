// The OpenGL clock renderer's CPU side at 1920x1080: tessellation, uploads and
// draw calls until every GL call of a frame is issued, without waiting for the
// GPU. Needs an OpenGL context (run under X11 or Wayland, or Xvfb); without one
// the GL benchmarks stop with a message.
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr int frameWidth = 1920;
constexpr int frameHeight = 1080;

// A frame with the make-up of the real clock at 1920x1080: a backdrop of
// gradient discs and stars, ~126 wide translucent 561-point strands with a gap
// at the centre, several hundred small discs, rings and gradient strokes
// inside one zoomed layer.
DisplayList syntheticFrame()
{
    DisplayList list;
    const double w = frameWidth, h = frameHeight;
    const double cx = w * 0.457, cy = h * 0.505, R = 424;
    const auto rect = [&] {
        const auto first = list.pointCount();
        list.addPoint(0, 0);
        list.addPoint(w, 0);
        list.addPoint(w, h);
        list.addPoint(0, h);
        return list.polylineFrom(first);
    };
    list.fill(rect(), DisplayList::solid(tint(Tint::black)));
    for (int i = 0; i < 4; ++i) {
        const double x = cx + R * (i % 2 ? 0.8 : -0.7), y = cy + R * (i < 2 ? -0.3 : 0.6), r = R * (0.4 + 0.04 * i);
        list.fill(list.circle(x, y, r), list.radial({float(x), float(y)}, 0, r, {tint(Tint::blue, 0.03), tint(Tint::purple, 0.01), clearColor}));
    }
    for (int i = 0; i < 48; ++i)
        list.fill(list.circle(std::fmod(i * 397.1, w), std::fmod(i * 211.7, h), i % 13 ? 0.34 : 0.7),
                  DisplayList::solid(tint(Tint::white, 0.08)));

    list.pushLayer(cx * (1 - 1.01), cy * (1 - 1.01), 1.01);
    for (int i = 0; i < 7; ++i) {
        const auto first = list.pointCount();
        for (int k = 0; k <= 220; ++k) {
            const double t = 2 * std::numbers::pi * k / 220;
            list.addPoint(cx + R * (0.3 + 0.1 * i) * std::cos(t), cy + R * (0.14 + 0.06 * i) * std::sin(t));
        }
        list.stroke(list.polylineFrom(first), DisplayList::solid(tint(i % 2 ? Tint::purple : Tint::cyan, 0.05)), 0.6);
    }
    list.fill(list.circle(cx, cy, 0.82 * R), list.radial({float(cx), float(cy)}, 0, 0.82 * R,
                                                          {tint(Tint::blue, 0.11), tint(Tint::purple, 0.075), tint(Tint::orange, 0.07), clearColor}));
    for (double f : {1.0, 0.982, 0.964, 0.86})
        list.stroke(list.circle(cx, cy, f * R), DisplayList::solid(tint(Tint::orange, 0.2)), 1.2);
    for (int k = 0; k < 150; ++k) {
        const double a = 2 * std::numbers::pi * k / 150;
        list.fill(list.circle(cx + 0.7 * R * std::cos(a), cy + 0.658 * R * std::sin(a), 0.7), DisplayList::solid(tint(Tint::cyan, 0.38)));
    }
    for (int k = 0; k < 180; ++k) {
        const double a = 2 * std::numbers::pi * k / 180;
        list.fill(list.circle(cx + 0.94 * R * std::cos(a), cy + 0.884 * R * std::sin(a), 0.55), DisplayList::solid(tint(Tint::orange, 0.24)));
    }
    // Orbits and bodies.
    for (int k = 0; k < 12; ++k) {
        list.stroke(list.ellipse(cx - R * (1.05 + 0.05 * k), cy - R * 0.4, 2 * R * (1.05 + 0.05 * k), 0.8 * R),
                    DisplayList::solid(tint(Tint::cyan, 0.1)), 0.8);
        const double bx = cx + R * std::cos(k), by = cy + 0.4 * R * std::sin(k);
        list.fill(list.circle(bx, by, 9), list.radial({float(bx), float(by)}, 0, 9, {tint(Tint::white), tint(Tint::blue, 0.8), clearColor}));
        list.fill(list.circle(bx, by, 4), DisplayList::solid(tint(Tint::blue)));
    }

    // Strands: 126 passes over 63 strands, split by the core gap.
    const double rho = 0.11 * R;
    const double xL = -3, xR = w + 3;
    for (int s = 0; s < 63; ++s) {
        const double amp = R * (0.03 + 0.003 * (s % 40));
        const double f1 = 3 + (s % 7), f2 = 9 + (s % 11), f3 = 20 + (s % 13);
        const auto runStart = list.pointCount();
        std::uint32_t runs[4][2];
        int runCount = 0;
        std::uint32_t first = runStart;
        bool inRun = false;
        for (int i = 0; i <= 560; ++i) {
            const double u = i / 560.0, th = 2 * std::numbers::pi * u;
            const double x = u <= 0.5 ? xL + (cx - xL) * 2 * u : cx + (xR - cx) * 2 * (u - 0.5);
            const double y = cy + amp * (std::sin(f1 * th + s) + 0.6 * std::sin(f2 * th - s) + 0.3 * std::sin(f3 * th + 2 * s));
            const bool keep = std::hypot(x - cx, y - cy) >= rho;
            if (keep) {
                if (!inRun)
                    first = list.pointCount();
                list.addPoint(x, y);
                inRun = true;
            } else if (inRun) {
                runs[runCount][0] = first;
                runs[runCount++][1] = list.pointCount();
                inRun = false;
            }
        }
        if (inRun) {
            runs[runCount][0] = first;
            runs[runCount++][1] = list.pointCount();
        }
        const Tint colour = static_cast<Tint>(s % 7);
        for (int pass = 0; pass < 2; ++pass)
            for (int r = 0; r < runCount; ++r) {
                const PathRef path{PathKind::Polyline, runs[r][0], runs[r][1] - runs[r][0]};
                if (s == 0)
                    list.stroke(path, list.linear({float(xL), float(cy)}, {float(xR), float(cy)},
                                                  {tint(Tint::blue), tint(Tint::cyan), tint(Tint::purple), tint(Tint::pink),
                                                   tint(Tint::white), tint(Tint::yellow), tint(Tint::orange), tint(Tint::red)}),
                                pass ? 3 : 18);
                else
                    list.stroke(path, DisplayList::solid(tint(colour, pass ? 0.6 : 0.18)), pass ? 1.85 : (s % 3 ? 2.9 : 10));
            }
    }
    // Traveller and core: gradient discs and rings.
    for (int k = 0; k < 160; ++k) {
        const double x = cx + (k - 80) * 4.0, y = cy + 30 * std::sin(k * 0.2), r = 3 + (k % 9) * 3;
        list.fill(list.circle(x, y, r), list.radial({float(x), float(y)}, 0, r, {tint(Tint::cyan, 0.36), tint(Tint::blue, 0.1), clearColor}));
        if (k % 4 == 0)
            list.stroke(list.circle(x, y, r * 0.8), DisplayList::solid(tint(Tint::white, 0.2)), 0.9);
    }
    for (int k = 0; k < 20; ++k) {
        const double a = 2 * std::numbers::pi * k / 20;
        list.stroke(list.quadratic({float(cx + 40 * std::cos(a)), float(cy + 40 * std::sin(a))},
                                   {float(cx + 120 * std::cos(a + 0.1)), float(cy + 120 * std::sin(a + 0.1))},
                                   {float(cx + 170 * std::cos(a)), float(cy + 170 * std::sin(a))}),
                    DisplayList::solid(tint(Tint::white, 0.1)), 0.6);
    }
    list.popLayer();
    return list;
}

GLOffscreenClockRenderer* offscreen()
{
    static std::unique_ptr<GLOffscreenClockRenderer> renderer = std::make_unique<GLOffscreenClockRenderer>();
    return renderer.get();
}

void addCounters(benchmark::State& state, const ClockTessellator& t)
{
    state.counters["vertices"] = static_cast<double>(t.vertices().size());
    state.counters["triangles"] = static_cast<double>(t.indices().size() / 3);
    state.counters["drawCalls"] = static_cast<double>(t.commands().size());
}

} // namespace

static void BM_ClockGLTessellate1080p(benchmark::State& state)
{
    const DisplayList list = syntheticFrame();
    ClockTessellator tessellator;
    for (auto _ : state) {
        tessellator.tessellate(list, 1.0);
        benchmark::DoNotOptimize(tessellator.vertices().data());
    }
    addCounters(state, tessellator);
}
BENCHMARK(BM_ClockGLTessellate1080p)->Unit(benchmark::kMillisecond);

// Time until all drawing calls of one frame are issued; the previous frame is
// finished outside the timed region so its GPU work does not leak in, and so is
// the multisample resolve, which a software rasteriser performs on the spot.
// llvmpipe also runs vertex processing and binning inside the draw call; with
// GALLIUM_NOOP=1 Mesa discards the GPU's work and leaves the CPU side alone.
static void BM_ClockGL1080p(benchmark::State& state)
{
    GLOffscreenClockRenderer* gl = offscreen();
    if (!gl->isValid() || !gl->makeCurrent() || !gl->target().ensure({frameWidth, frameHeight})) {
        state.SkipWithError(("no OpenGL: " + gl->errorString().toStdString()).c_str());
        return;
    }
    const DisplayList list = syntheticFrame();
    for (auto _ : state) {
        gl->finish();
        const auto start = std::chrono::steady_clock::now();
        gl->target().bindForDrawing();
        gl->renderer().render(list, {frameWidth, frameHeight}, 1.0);
        const auto end = std::chrono::steady_clock::now();
        gl->target().resolve();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    gl->finish();
    addCounters(state, gl->renderer().tessellator());
}
BENCHMARK(BM_ClockGL1080p)->UseManualTime()->Unit(benchmark::kMillisecond);

// For the record: the whole frame including the GPU's work (llvmpipe under Xvfb
// runs that on the CPU too).
static void BM_ClockGL1080pWithGPU(benchmark::State& state)
{
    GLOffscreenClockRenderer* gl = offscreen();
    if (!gl->isValid() || !gl->makeCurrent() || !gl->target().ensure({frameWidth, frameHeight})) {
        state.SkipWithError(("no OpenGL: " + gl->errorString().toStdString()).c_str());
        return;
    }
    const DisplayList list = syntheticFrame();
    for (auto _ : state) {
        gl->target().bindForDrawing();
        gl->renderer().render(list, {frameWidth, frameHeight}, 1.0);
        gl->target().resolve();
        gl->finish();
    }
}
BENCHMARK(BM_ClockGL1080pWithGPU)->Unit(benchmark::kMillisecond);
