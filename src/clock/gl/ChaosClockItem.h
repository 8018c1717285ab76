#pragma once

#include "clock/gl/ClockFrameSource.h"
#include "clock/gl/ClockQuality.h"
#include "clock/gl/CpuBudget.h"
#include "clock/gl/FramePacer.h"
#include "clock/gl/X11CoverWatch.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <atomic>
#include <memory>

// The chaos clock as a Qt Quick item, redrawn at every frame of its window.
//
// Each frame is a pure function of QDateTime::currentDateTime(), read when
// the scene graph synchronises, and of the item's size. With the OpenGL
// scene graph (QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL)
// before the first window, and an OpenGL 3.0 / OpenGL ES 3.0 context, which
// Qt's default format gets from Mesa and the desktop drivers) the frame is
// drawn by GLClockRenderer into a framebuffer at the window's device pixel
// ratio. With any other scene graph backend, or an older context, it is
// painted with QPainter into an image (slow at large sizes).
//
// On a software rasteriser (or when asked for reduced quality) the frame is
// drawn at a fraction of the device pixels, scaled up smoothly, at most 30
// times a second and less often if the process would take most of a core;
// see ClockQuality.h.
//
// The display list is built on the render thread, just before the window
// renders: the sync step, which blocks the GUI thread, only records the
// date and the size. While the window is hidden, minimised or fully covered
// nothing is built or drawn; the clock resumes when it shows again.
class ChaosClockItem : public QQuickItem {
    Q_OBJECT

public:
    explicit ChaosClockItem(QQuickItem* parent = nullptr);
    ~ChaosClockItem() override;

    // What to draw: the chaos clock in the system's time zone unless replaced.
    void setFrameSource(ClockFrameSource source);
    // Automatic unless set; takes effect at the next frame.
    void setQualityMode(ClockQualityMode mode);

    // Frames drawn so far, by either renderer.
    quint64 framesDrawn() const { return m_framesDrawn->load(std::memory_order_relaxed); }
    // Whether the last frame went through the OpenGL renderer.
    bool isDrawingWithOpenGL() const { return m_usesOpenGL.load(std::memory_order_relaxed); }
    // False while the window is hidden, minimised or fully covered: then no frame is drawn.
    bool isWindowShowing() const { return m_showing; }
    // The last frame's pixels per device pixel (1 at full quality).
    double renderScale() const { return m_renderScale.load(std::memory_order_relaxed); }

    // Registers ChaosClockItem in the QML module "Starlume.Clock" 1.0.
    static void registerQmlType();

protected:
    QSGNode* updatePaintNode(QSGNode* old, UpdatePaintNodeData*) override;
    void itemChange(ItemChange change, const ItemChangeData& value) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSGNode* updatePainterNode(QSGNode* old, const QDateTime& date, QSizeF size, double scale);
    // Render thread, in the sync step: asks for the frame after `delay`.
    void requestFrameAfter(FramePacer::Time delay);
    void watchWindow(QQuickWindow* window);
    void updateShowing();
    // Whether any of the window can be seen: not hidden, minimised or covered.
    bool windowShowing() const;

    ClockFrameSource m_source;
    ClockQualityMode m_mode = ClockQualityMode::automatic;
    std::shared_ptr<std::atomic<quint64>> m_framesDrawn = std::make_shared<std::atomic<quint64>>(0);
    std::atomic<bool> m_usesOpenGL{false};
    std::atomic<double> m_renderScale{1.0};
    QPointer<QQuickWindow> m_watchedWindow;
    QMetaObject::Connection m_visibilityConnection;
    std::unique_ptr<X11CoverWatch> m_coverWatch;
    bool m_showing = false; // GUI thread
    QTimer m_nextFrame; // GUI thread: wakes the item when a capped frame is due

    // Render thread, in the sync step.
    FramePacer m_pacer;
    CpuBudget m_budget;
    ClockRendering m_rendering;
    bool m_openGLFailed = false;
};
