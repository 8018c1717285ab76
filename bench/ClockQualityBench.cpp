// The clock's whole frame on the rasteriser at hand (llvmpipe under Xvfb: all
// of it on the CPU) at 1920x1080, at full quality and at the reduced render
// scale, from the display list to the finished framebuffer.
#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/gl/ClockQuality.h"
#include "clock/gl/GLClockTarget.h"
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QTimeZone>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QSizeF frameSize(1920, 1080);

GLOffscreenClockRenderer* offscreen()
{
    static std::unique_ptr<GLOffscreenClockRenderer> renderer = std::make_unique<GLOffscreenClockRenderer>();
    return renderer.get();
}

// state.range(0): the render scale in percent.
void BM_ClockFrameAtRenderScale1080p(benchmark::State& state)
{
    const double scale = static_cast<double>(state.range(0)) / 100.0;
    const QSize pixels = GLClockTarget::pixelSizeFor(frameSize, scale);
    GLOffscreenClockRenderer* gl = offscreen();
    if (!gl->isValid() || !gl->makeCurrent() || !gl->target().ensure(pixels)) {
        state.SkipWithError(("no OpenGL: " + gl->errorString().toStdString()).c_str());
        return;
    }
    const QDateTime date = QDateTime::fromString(QStringLiteral("2024-03-05T10:17:30.600Z"), Qt::ISODateWithMs);
    DisplayList list;
    for (auto _ : state) {
        buildClockFrame(list, computeClockFrame(date, frameSize, QTimeZone::utc()));
        gl->target().bindForDrawing();
        gl->renderer().render(list, pixels, scale);
        gl->target().resolve();
        gl->finish();
    }
    state.counters["pixels"] = pixels.width() * pixels.height();
}
BENCHMARK(BM_ClockFrameAtRenderScale1080p)
    ->Arg(100)
    ->Arg(static_cast<int>(reducedClockRendering.renderScale * 100))
    ->Arg(35)
    ->Unit(benchmark::kMillisecond);

} // namespace
