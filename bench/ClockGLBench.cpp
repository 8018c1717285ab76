// The OpenGL clock renderer's CPU side at 1920x1080: tessellation, uploads and
// draw calls until every GL call of a frame is issued, without waiting for the
// GPU. Needs an OpenGL context (run under X11 or Wayland, or Xvfb); without one
// the GL benchmarks stop with a message.
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

constexpr int frameWidth = 1920;
constexpr int frameHeight = 1080;

// A whole clock frame at the half-minute accent, when the core is fully
// charged and draws all its rings.
DisplayList clockFrame()
{
    const QDateTime date = QDateTime::fromString(QStringLiteral("2024-03-05T10:17:30.600Z"), Qt::ISODateWithMs);
    DisplayList list;
    buildClockFrame(list, computeClockFrame(date, QSizeF(frameWidth, frameHeight), QTimeZone::utc()));
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
    const DisplayList list = clockFrame();
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
    const DisplayList list = clockFrame();
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
    const DisplayList list = clockFrame();
    for (auto _ : state) {
        gl->target().bindForDrawing();
        gl->renderer().render(list, {frameWidth, frameHeight}, 1.0);
        gl->target().resolve();
        gl->finish();
    }
}
BENCHMARK(BM_ClockGL1080pWithGPU)->Unit(benchmark::kMillisecond);
