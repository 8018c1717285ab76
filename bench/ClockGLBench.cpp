// The OpenGL clock renderer's CPU side at 1920x1080 and 3840x2160: batching,
// uploads and draw calls until every GL call of a frame is issued, without
// waiting for the GPU. Needs an OpenGL context (run under X11 or Wayland, or
// Xvfb; the offscreen platform also needs DISPLAY for its GLX context);
// without one the GL benchmarks stop with a message.
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

const QSize hd(1920, 1080);
const QSize uhd(3840, 2160);

// The half-minute accent, when the core is fully charged and draws all its rings.
const QDateTime busyMoment = QDateTime::fromString(QStringLiteral("2024-03-05T10:17:30.600Z"), Qt::ISODateWithMs);

DisplayList clockFrame(QSize size)
{
    DisplayList list;
    buildClockFrame(list, computeClockFrame(busyMoment, QSizeF(size), QTimeZone::utc()));
    return list;
}

// Left to the end of the process on purpose: destroyed after the application
// object, its context would crash the exit.
GLOffscreenClockRenderer* offscreen()
{
    static auto* renderer = new GLOffscreenClockRenderer();
    return renderer;
}

GLOffscreenClockRenderer* readyFor(benchmark::State& state, QSize size)
{
    GLOffscreenClockRenderer* gl = offscreen();
    if (!gl->isValid() || !gl->makeCurrent() || !gl->target().ensure(size)) {
        state.SkipWithError(("no OpenGL: " + gl->errorString().toStdString()).c_str());
        return nullptr;
    }
    return gl;
}

void addCounters(benchmark::State& state, const ClockBatcher& b)
{
    state.counters["instances"] = static_cast<double>(b.instances().size());
    state.counters["ops"] = static_cast<double>(b.records().size());
    state.counters["drawCalls"] = static_cast<double>(b.commands().size());
}

void batchOnly(benchmark::State& state, QSize size)
{
    const DisplayList list = clockFrame(size);
    ClockBatcher batcher;
    for (auto _ : state) {
        batcher.batch(list, 1.0);
        benchmark::DoNotOptimize(batcher.instances().data());
    }
    addCounters(state, batcher);
}

// Time until all drawing calls of one frame are issued; the previous frame is
// finished outside the timed region so its GPU work does not leak in.
// llvmpipe also runs vertex processing and binning inside the draw call; with
// GALLIUM_NOOP=1 Mesa discards the GPU's work and leaves the CPU side alone.
void drawOnly(benchmark::State& state, QSize size)
{
    GLOffscreenClockRenderer* gl = readyFor(state, size);
    if (!gl)
        return;
    const DisplayList list = clockFrame(size);
    for (auto _ : state) {
        gl->finish();
        const auto start = std::chrono::steady_clock::now();
        gl->target().bindForDrawing();
        gl->renderer().render(list, size, 1.0);
        const auto end = std::chrono::steady_clock::now();
        gl->target().resolve();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    gl->finish();
    addCounters(state, gl->renderer().batcher());
}

// What the render thread does per frame: the frame's values, its display
// list, and the drawing calls, one frame time apart.
void listAndDraw(benchmark::State& state, QSize size)
{
    GLOffscreenClockRenderer* gl = readyFor(state, size);
    if (!gl)
        return;
    DisplayList list;
    qint64 ms = busyMoment.toMSecsSinceEpoch();
    for (auto _ : state) {
        gl->finish();
        const auto start = std::chrono::steady_clock::now();
        buildClockFrame(list, computeClockFrame(ms, QSizeF(size)));
        gl->target().bindForDrawing();
        gl->renderer().render(list, size, 1.0);
        const auto end = std::chrono::steady_clock::now();
        gl->target().resolve();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        ms += 16;
    }
    gl->finish();
    addCounters(state, gl->renderer().batcher());
}

} // namespace

static void BM_ClockGLBatch1080p(benchmark::State& state) { batchOnly(state, hd); }
BENCHMARK(BM_ClockGLBatch1080p)->Unit(benchmark::kMillisecond);

static void BM_ClockGLBatch4K(benchmark::State& state) { batchOnly(state, uhd); }
BENCHMARK(BM_ClockGLBatch4K)->Unit(benchmark::kMillisecond);

static void BM_ClockGL1080p(benchmark::State& state) { drawOnly(state, hd); }
BENCHMARK(BM_ClockGL1080p)->UseManualTime()->Unit(benchmark::kMillisecond);

static void BM_ClockGL4K(benchmark::State& state) { drawOnly(state, uhd); }
BENCHMARK(BM_ClockGL4K)->UseManualTime()->Unit(benchmark::kMillisecond);

static void BM_ClockGLWithList1080p(benchmark::State& state) { listAndDraw(state, hd); }
BENCHMARK(BM_ClockGLWithList1080p)->UseManualTime()->Unit(benchmark::kMillisecond);

static void BM_ClockGLWithList4K(benchmark::State& state) { listAndDraw(state, uhd); }
BENCHMARK(BM_ClockGLWithList4K)->UseManualTime()->Unit(benchmark::kMillisecond);

// For the record: the whole frame including the GPU's work (llvmpipe runs
// that on the CPU too).
static void BM_ClockGL1080pWithGPU(benchmark::State& state)
{
    GLOffscreenClockRenderer* gl = readyFor(state, hd);
    if (!gl)
        return;
    const DisplayList list = clockFrame(hd);
    for (auto _ : state) {
        gl->target().bindForDrawing();
        gl->renderer().render(list, hd, 1.0);
        gl->target().resolve();
        gl->finish();
    }
}
BENCHMARK(BM_ClockGL1080pWithGPU)->Unit(benchmark::kMillisecond);
