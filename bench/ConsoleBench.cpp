#include "console/ColorMesh.h"
#include "console/InstrumentMapping.h"
#include "OffscreenQuickScene.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QtQml/qqmlextensionplugin.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

Q_IMPORT_QML_PLUGIN(Starlume_ConsolePlugin)

namespace {

// The meshes of one console board: 10 panels with 4 screws and a bevel each,
// a nameplate with 4 rivets, the board's border and its 4 corner screws.
void BM_ConsoleSurfaceMeshes(benchmark::State& state)
{
    using namespace slm::console;
    const auto flat = [](QPointF) { return MeshColor{1, 1, 1, 0.2f}; };
    for (auto _ : state) {
        ColorMesh mesh;
        for (int panel = 0; panel < 10; ++panel) {
            mesh.addRoundedOutline(QRectF(0, 0, 190, 280), 7, 1, flat);
            for (int screw = 0; screw < 4; ++screw) {
                mesh.addDisc({6.5, 6.5}, 5, flat, 5);
                mesh.addDisc({6.5, 6.5}, 4, flat, 8);
                mesh.addBar({4, 4}, {9, 9}, 1, flat);
                mesh.addRing({6.5, 6.5}, 3.5, 4, flat);
            }
        }
        mesh.addRoundedOutline(QRectF(0, 0, 1226, 760), 16, 1.3, flat);
        benchmark::DoNotOptimize(mesh.vertices().data());
    }
}
BENCHMARK(BM_ConsoleSurfaceMeshes);

// The readout texts of one console refresh: eleven percentages and the
// analyser's labels.
void BM_ConsoleReadoutTexts(benchmark::State& state)
{
    using namespace slm::console;
    const QList<double> centres{40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
                                630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000};
    double v = 0;
    for (auto _ : state) {
        for (int i = 0; i < 11; ++i)
            benchmark::DoNotOptimize(percentText(v + i * 0.01, 0, 0.4));
        benchmark::DoNotOptimize(spectrumLabels(centres, 24));
        v = std::fmod(v + 0.001, 0.4);
    }
}
BENCHMARK(BM_ConsoleReadoutTexts);

// One frame of the instruments as the console shows them: seven meter bodies
// and the 24-band analyser take new values, then the scene is polished,
// synchronised and drawn with OpenGL into an offscreen target. Arguments:
// the board's scale (1 = 1226 x 760, 2 = 2452 x 1520) and whether the frame
// is drawn (1) or only the bindings and polish run (0), which is the part a
// threaded render loop leaves on the main thread besides the sync. Needs a
// display with OpenGL (Xvfb + Mesa will do).
const char* instrumentsScene = R"(
import QtQuick
import Starlume.Console
Item {
    id: board
    width: 1226; height: 760
    property real phase: 0
    BoardBackplate { anchors.fill: parent }
    Row {
        x: 24; y: 24; spacing: 14
        Repeater {
            model: 6
            HardwarePanelSurface {
                width: 150; height: 330; cornerRadius: 7; depth: 0.72
                Column {
                    x: 11; y: 10; spacing: 8
                    Row {
                        spacing: 8
                        Loader {
                            sourceComponent: index === 0 ? stereo : mono
                            Component { id: mono; VUMeter { width: 42; height: 235; db: -30 + 20 * Math.sin(board.phase + index); peakDB: db + 3 } }
                            Component { id: stereo; StereoVUMeter { width: 42; height: 235; leftDB: -20 + 10 * Math.sin(board.phase); rightDB: leftDB - 2; leftPeakDB: leftDB + 2; rightPeakDB: rightDB + 2 } }
                        }
                        VerticalFader { width: 58; height: 235; value: 0.2; range: [0, 0.4] }
                    }
                    LEDGlassValueDisplay { width: 66; height: 28; text: "50%" }
                }
            }
        }
    }
    HardwarePanelSurface {
        x: 24; y: 380; width: 1178; height: 112; cornerRadius: 8; depth: 0.62
        SpectrumAnalyzerView {
            x: 300; y: 12; width: 860; height: 88
            frequencies: [40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
                          630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000]
            bands: {
                var b = []
                for (var i = 0; i < 24; ++i)
                    b.push(-36 + 30 * Math.sin(board.phase * 0.7 + i * 0.4))
                return b
            }
        }
    }
    BoardBorder { anchors.fill: parent }
}
)";

void BM_ConsoleInstrumentFrame(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const bool draw = state.range(1) != 0;
    const QSize size(1226 * scale, 760 * scale);

    OffscreenQuickScene scene(size);
    if (!scene.error().empty()) {
        state.SkipWithError(scene.error().c_str());
        return;
    }

    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(instrumentsScene, QUrl(QStringLiteral("qrc:/bench/Instruments.qml")));
    std::unique_ptr<QQuickItem> board(qobject_cast<QQuickItem*>(component.create()));
    if (!board) {
        state.SkipWithError(component.errorString().toStdString().c_str());
        return;
    }
    board->setParentItem(scene.contentItem());
    board->setTransformOrigin(QQuickItem::TopLeft);
    board->setScale(scale);

    double phase = 0;
    // The first frame builds the scene graph.
    scene.polish();
    scene.render();
    for (auto _ : state) {
        board->setProperty("phase", phase);
        phase += 0.1;
        scene.polish();
        if (draw)
            scene.render();
    }
}
BENCHMARK(BM_ConsoleInstrumentFrame)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"scale", "draw"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace
