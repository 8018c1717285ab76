#include "control/MemoryDeviceControl.h"
#include "engine/OfflineAudioOutput.h"
#include "engine/SLMAudioEngine.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickGraphicsDevice>
#include <QQuickItem>
#include <QQuickRenderControl>
#include <QQuickRenderTarget>
#include <QQuickWindow>

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

    QSurfaceFormat format;
    format.setSamples(0);
    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(format);
    QOffscreenSurface surface;
    surface.setFormat(format);
    surface.create();
    if (!context->create() || !context->makeCurrent(&surface)) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    QOpenGLFunctions* gl = context->functions();
    GLuint texture = 0;
    gl->glGenTextures(1, &texture);
    gl->glBindTexture(GL_TEXTURE_2D, texture);
    gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width(), size.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);

    QQuickRenderControl control;
    QQuickWindow window(&control);
    window.setGraphicsDevice(QQuickGraphicsDevice::fromOpenGLContext(context.get()));
    if (!control.initialize()) {
        state.SkipWithError("render control did not initialise");
        return;
    }
    window.setRenderTarget(QQuickRenderTarget::fromOpenGLTexture(texture, size));
    window.resize(size);

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
    board->setParentItem(window.contentItem());
    board->setTransformOrigin(QQuickItem::TopLeft);
    board->setScale(scale);

    double phase = 0;
    const auto render = [&] {
        control.beginFrame();
        control.sync();
        control.render();
        control.endFrame();
        gl->glFinish();
    };
    control.polishItems();
    render();
    for (auto _ : state) {
        const auto level = [&](double offset) { return 0.3 + 0.25 * std::sin(phase + offset); };
        engine.meters()->update(level(0), level(1), level(2), level(3), level(4), level(5), level(6));
        phase += 0.37;
        control.polishItems();
        if (draw)
            render();
    }

    board.reset();
    context->makeCurrent(&surface);
    gl->glDeleteTextures(1, &texture);
}
BENCHMARK(BM_ConsoleBoardMeterFrame)
    ->ArgsProduct({{1, 2}, {0, 1}})
    ->ArgNames({"scale", "draw"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

} // namespace
