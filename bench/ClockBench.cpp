#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/QPainterClockRenderer.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

// A busy moment: 10:09:29.5 UTC, the core charging towards the half minute.
constexpr qint64 startMs = 1714817369500;
constexpr qint64 frameMs = 16;

// Frame values and display list of one frame, as the live view makes them every refresh.
void buildFrames(benchmark::State& state, QSizeF size)
{
    DisplayList list;
    qint64 ms = startMs;
    for (auto _ : state) {
        const ClockFrame frame = computeClockFrame(ms, size);
        buildClockFrame(list, frame);
        benchmark::DoNotOptimize(list.ops().data());
        ms += frameMs;
    }
    state.counters["ops"] = static_cast<double>(list.ops().size());
    state.counters["points"] = static_cast<double>(list.allPoints().size());
}

void BM_ClockBuildFrame(benchmark::State& state) { buildFrames(state, {1920, 1080}); }
BENCHMARK(BM_ClockBuildFrame)->Unit(benchmark::kMillisecond);

void BM_ClockBuildFrame4K(benchmark::State& state) { buildFrames(state, {3840, 2160}); }
BENCHMARK(BM_ClockBuildFrame4K)->Unit(benchmark::kMillisecond);

void BM_ClockBuildFrameSmall(benchmark::State& state) { buildFrames(state, {320, 200}); }
BENCHMARK(BM_ClockBuildFrameSmall)->Unit(benchmark::kMillisecond);

// The reference renderer drawing one prebuilt 1920x1080 frame.
void BM_ClockPainter1080p(benchmark::State& state)
{
    DisplayList list;
    buildClockFrame(list, computeClockFrame(startMs, QSizeF(1920, 1080)));
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QPainterClockRenderer renderer;
    for (auto _ : state) {
        QPainter painter(&image);
        renderer.render(painter, list);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ClockPainter1080p)->Unit(benchmark::kMillisecond);

} // namespace
