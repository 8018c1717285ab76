#pragma once

#include "clock/gl/ClockFrameSource.h"

#include <QQuickItem>

#include <atomic>
#include <memory>

// The chaos clock as a Qt Quick item, redrawn at every frame of its window.
//
// Each frame is a pure function of QDateTime::currentDateTime(), read when
// the scene graph synchronises, and of the item's size. With the OpenGL
// scene graph (QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL)
// before the first window, and an OpenGL 3.0 / OpenGL ES 3.0 context, which
// Qt's default format gets from Mesa and the desktop drivers) the frame is
// drawn by GLClockRenderer into a framebuffer at the window's
// device pixel ratio. With any other scene graph backend, or an older
// context, it is painted with QPainter into an image (slow at large sizes).
//
// The display list is built on the render thread, just before the window
// renders: the sync step, which blocks the GUI thread, only records the
// date and the size.
class ChaosClockItem : public QQuickItem {
    Q_OBJECT

public:
    explicit ChaosClockItem(QQuickItem* parent = nullptr);
    ~ChaosClockItem() override;

    // What to draw: the chaos clock in the system's time zone unless replaced.
    void setFrameSource(ClockFrameSource source);

    // Frames drawn so far, by either renderer.
    quint64 framesDrawn() const { return m_framesDrawn->load(std::memory_order_relaxed); }
    // Whether the last frame went through the OpenGL renderer.
    bool isDrawingWithOpenGL() const { return m_usesOpenGL.load(std::memory_order_relaxed); }

    // Registers ChaosClockItem in the QML module "Starlume.Clock" 1.0.
    static void registerQmlType();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;

private:
    QSGNode* updatePainterNode(QSGNode* old, const QDateTime& date, QSizeF size, double dpr);

    ClockFrameSource m_source;
    std::shared_ptr<std::atomic<quint64>> m_framesDrawn = std::make_shared<std::atomic<quint64>>(0);
    std::atomic<bool> m_usesOpenGL{false};
    bool m_openGLFailed = false; // render thread only
};
