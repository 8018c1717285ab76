#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"
#include "OffscreenQuickScene.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// One meter hand-off as the whole console board takes it: the fourteen meter
// values change (as SLMAudioMeters.update does about 30 times a second), then
// the scene is polished and, with draw = 1, synchronised and drawn with
// OpenGL into an offscreen target. draw = 0 is what stays on the main thread
// under a threaded render loop besides the short sync. Arguments: the
// board's scale (1 = 1226 x 760, 2 = 2452 x 1520). Needs a display with
// OpenGL (Xvfb + Mesa will do).
void BM_ConsoleBoardMeterFrame(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const bool draw = state.range(1) != 0;
    const QSize size(1226 * scale, 760 * scale);

    OffscreenQuickScene scene(size);
    if (!scene.error().empty()) {
        state.SkipWithError(scene.error().c_str());
        return;
    }

    SLMAudioEngine engine(std::make_unique<OfflineAudioOutput>(48000.0, 2), std::make_unique<MemoryDeviceControl>());
    QQmlEngine qml;
    QQmlComponent component(&qml);
    component.setData("import QtQuick\nimport Starlume.Console\nSLMAudioPanel {}", QUrl(QStringLiteral("qrc:/bench/Board.qml")));
    std::unique_ptr<QQuickItem> board(qobject_cast<QQuickItem*>(
        component.createWithInitialProperties({{QStringLiteral("audioEngine"), QVariant::fromValue<QObject*>(&engine)}})));
    if (!board) {
        state.SkipWithError(component.errorString().toStdString().c_str());
        return;
    }
    board->setParentItem(scene.contentItem());
    board->setTransformOrigin(QQuickItem::TopLeft);
    board->setScale(scale);

    double phase = 0;
    scene.polish();
    scene.render();
    for (auto _ : state) {
        const auto level = [&](double offset) { return 0.3 + 0.25 * std::sin(phase + offset); };
        engine.meters()->update(level(0), level(1), level(2), level(3), level(4), level(5), level(6));
        phase += 0.37;
        scene.polish();
        if (draw)
            scene.render();
    }
}
BENCHMARK(BM_ConsoleBoardMeterFrame)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"scale", "draw"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace
