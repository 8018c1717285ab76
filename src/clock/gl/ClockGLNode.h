#pragma once

#include "clock/DisplayList.h"
#include "clock/gl/ClockFrameSource.h"
#include "clock/gl/GLClockRenderer.h"
#include "clock/gl/GLClockTarget.h"

#include <QDateTime>
#include <QMetaObject>
#include <QSGSimpleTextureNode>

#include <atomic>
#include <memory>

class QQuickWindow;

// The chaos clock in the OpenGL scene graph: a texture node showing a
// framebuffer that the node redraws, on the render thread, just before the
// window renders (QQuickWindow::beforeRendering). The framebuffer may be
// smaller than the node's pixels; it is scaled up with linear filtering.
//
// Created, updated and destroyed on the render thread with the window's
// OpenGL context current, as the scene graph does with every node.
class ClockGLNode : public QSGSimpleTextureNode {
public:
    ClockGLNode(QQuickWindow* window, std::shared_ptr<std::atomic<quint64>> framesDrawn);
    ~ClockGLNode() override;

    // False when the context cannot run the renderer; the item then draws
    // with QPainter instead.
    bool initialize();
    const QString& errorString() const { return m_renderer.errorString(); }

    // Whether the context draws on the CPU (from its GL_RENDERER); known after initialize().
    bool isSoftwareRasteriser() const { return m_softwareRasteriser; }

    // Sync: the frame to draw next, into `renderScale` of the device pixels
    // that are then scaled up to the whole size, polylines thinned so far,
    // solid strokes as strips if asked. Returns false if no framebuffer of that size can be made.
    bool setFrame(const ClockFrameSource& source, const QDateTime& date, QSizeF size, double devicePixelRatio,
                  double renderScale = 1.0, PolylineThinning thinning = {}, bool strokeStrips = false);

private:
    void draw();

    QQuickWindow* m_window;
    std::shared_ptr<std::atomic<quint64>> m_framesDrawn;
    QMetaObject::Connection m_beforeRendering;
    GLClockRenderer m_renderer;
    GLClockTarget m_target;
    std::unique_ptr<QSGTexture> m_texture; // wraps the target's texture
    DisplayList m_list;
    ClockFrameSource m_source;
    QDateTime m_date;
    QSizeF m_size;
    double m_scale = 1; // device pixels per point, times the render scale
    PolylineThinning m_thinning;
    bool m_strokeStrips = false;
    bool m_pending = false;
    bool m_softwareRasteriser = false;
};
