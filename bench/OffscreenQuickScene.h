#pragma once

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QQuickRenderControl>
#include <QQuickWindow>
#include <QSize>

#include <memory>
#include <string>

class QQuickItem;

// A Qt Quick scene drawn with OpenGL into an offscreen texture, one frame at
// a time on demand, so the console benchmarks can time polish and drawing
// apart, without a window or a render loop of their own.
class OffscreenQuickScene {
public:
    explicit OffscreenQuickScene(QSize size);
    ~OffscreenQuickScene();
    OffscreenQuickScene(const OffscreenQuickScene&) = delete;
    OffscreenQuickScene& operator=(const OffscreenQuickScene&) = delete;

    // Empty once the scene can draw; otherwise why it cannot.
    const std::string& error() const { return m_error; }
    QQuickItem* contentItem() const { return m_window->contentItem(); }

    void polish() { m_control.polishItems(); }
    // Syncs and draws the scene, and waits until OpenGL has finished it.
    void render();

private:
    std::unique_ptr<QOpenGLContext> m_context;
    QOffscreenSurface m_surface;
    unsigned m_texture = 0;
    QQuickRenderControl m_control;
    std::unique_ptr<QQuickWindow> m_window; // after the control, which must outlive it
    std::string m_error;
};
