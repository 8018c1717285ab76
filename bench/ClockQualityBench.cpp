// The clock's whole frame on the rasteriser at hand (llvmpipe under Xvfb: all
// of it on the CPU) at 1920x1080, at full quality and at the reduced render
// scale, from the display list to the finished framebuffer. The counter
// processCpuMs is the CPU time of all the process's threads per frame (the
// rasteriser's own threads included), which a busy machine inflates less
// than the wall-clock time.
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/gl/ClockQuality.h"
#include "clock/gl/GLClockTarget.h"
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace {

const QSizeF frameSize(1920, 1080);

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Left to the end of the process on purpose: destroyed after the application
// object, its context would crash the exit.
GLOffscreenClockRenderer* offscreen()
{
    static auto* renderer = new GLOffscreenClockRenderer();
    return renderer;
}

// state.range(0): the render scale in percent; below 100 with the reduced
// quality's thinned polylines. state.range(1): 1 for solid strokes as strips.
void BM_ClockFrameAtRenderScale1080p(benchmark::State& state)
{
    const double scale = static_cast<double>(state.range(0)) / 100.0;
    const ClockRendering rendering = state.range(0) < 100 ? reducedClockRendering : fullClockRendering;
    const QSize pixels = GLClockTarget::pixelSizeFor(frameSize, scale);
    GLOffscreenClockRenderer* gl = offscreen();
    if (!gl->isValid() || !gl->makeCurrent() || !gl->target().ensure(pixels)) {
        state.SkipWithError(("no OpenGL: " + gl->errorString().toStdString()).c_str());
        return;
    }
    const QDateTime date = QDateTime::fromString(QStringLiteral("2024-03-05T10:17:30.600Z"), Qt::ISODateWithMs);
    DisplayList list;
    const double cpuBefore = processCpuMs();
    for (auto _ : state) {
        buildClockFrame(list, computeClockFrame(date, frameSize, QTimeZone::utc()));
        gl->target().bindForDrawing();
        gl->renderer().render(list, pixels, scale, rendering.thinning, state.range(1) != 0);
        gl->target().resolve();
        gl->finish();
    }
    state.counters["processCpuMs"] = benchmark::Counter(processCpuMs() - cpuBefore, benchmark::Counter::kAvgIterations);
    state.counters["pixels"] = pixels.width() * pixels.height();
    state.counters["instances"] = static_cast<double>(gl->renderer().batcher().instances().size());
    state.counters["stripVertices"] = static_cast<double>(gl->renderer().batcher().strips().size());
}
BENCHMARK(BM_ClockFrameAtRenderScale1080p)
    ->Args({100, 0})
    ->Args({static_cast<int>(reducedClockRendering.renderScale * 100), 0})
    ->Args({static_cast<int>(reducedClockRendering.renderScale * 100), 1})
    ->Args({40, 1})
    ->Args({35, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace
