#include "clock/gl/ChaosClockItem.h"

#include "clock/ClockFrameBuilder.h"
#include "clock/ClockFrameComputation.h"
#include "clock/QPainterClockRenderer.h"
#include "clock/gl/ClockGLNode.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRendererInterface>
#include <QtQml/qqml.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>

namespace {

Q_LOGGING_CATEGORY(lcChaosClock, "starlume.clock")

// Marks which kind of node the item made, so a switch of renderer replaces it.
class ClockPainterNode : public QSGTransformNode {
public:
    explicit ClockPainterNode(QSGImageNode* image)
        : image(image)
    {
        appendChildNode(image);
    }
    QSGImageNode* image;
    std::unique_ptr<QSGTexture> texture; // the image node's, replaced every frame
    DisplayList list;
    QPainterClockRenderer painter;
};

// The chaos clock of that moment in the system's time zone.
void drawChaosClock(DisplayList& list, const QDateTime& date, QSizeF size)
{
    buildClockFrame(list, computeClockFrame(date, size));
}

FramePacer::Time steadyNow()
{
    return std::chrono::duration_cast<FramePacer::Time>(std::chrono::steady_clock::now().time_since_epoch());
}

// All threads': the rasteriser's own threads draw the clock too.
CpuBudget::Time processCpuTime()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

} // namespace

ChaosClockItem::ChaosClockItem(QQuickItem* parent)
    : QQuickItem(parent)
    , m_source(drawChaosClock)
{
    setFlag(ItemHasContents, true);
    m_nextFrame.setSingleShot(true);
    m_nextFrame.setTimerType(Qt::PreciseTimer);
    connect(&m_nextFrame, &QTimer::timeout, this, &QQuickItem::update);
    // A parent given here set the window before itemChange() was ours.
    if (window())
        watchWindow(window());
}

ChaosClockItem::~ChaosClockItem()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void ChaosClockItem::setFrameSource(ClockFrameSource source)
{
    m_source = std::move(source);
    update();
}

void ChaosClockItem::setQualityMode(ClockQualityMode mode)
{
    m_mode = mode;
    update();
}

void ChaosClockItem::registerQmlType()
{
    qmlRegisterType<ChaosClockItem>("Starlume.Clock", 1, 0, "ChaosClockItem");
}

void ChaosClockItem::itemChange(ItemChange change, const ItemChangeData& value)
{
    if (change == ItemSceneChange)
        watchWindow(value.window);
    QQuickItem::itemChange(change, value);
}

void ChaosClockItem::watchWindow(QQuickWindow* window)
{
    if (m_watchedWindow) {
        m_watchedWindow->removeEventFilter(this);
        disconnect(m_visibilityConnection);
    }
    m_coverWatch.reset();
    m_watchedWindow = window;
    if (window) {
        // Exposure has no signal of its own; the window's expose events tell.
        window->installEventFilter(this);
        m_visibilityConnection = connect(window, &QWindow::visibilityChanged, this, &ChaosClockItem::updateShowing);
    }
    updateShowing();
}

bool ChaosClockItem::eventFilter(QObject* watched, QEvent* event)
{
    // isExposed() already tells the new state when the event arrives.
    if (watched == m_watchedWindow && event->type() == QEvent::Expose)
        updateShowing();
    return QQuickItem::eventFilter(watched, event);
}

bool ChaosClockItem::windowShowing() const
{
    // Hidden and minimised windows are not exposed, yet a minimised one can
    // still claim to be where no window manager runs.
    const QQuickWindow* window = m_watchedWindow;
    return window && window->isExposed() && window->visibility() != QWindow::Hidden
        && window->visibility() != QWindow::Minimized && !(m_coverWatch && m_coverWatch->isCovered());
}

void ChaosClockItem::updateShowing()
{
    // The native window exists from the first expose on.
    if (!m_coverWatch && m_watchedWindow && m_watchedWindow->handle())
        m_coverWatch = X11CoverWatch::create(*m_watchedWindow, [this] { updateShowing(); });
    const bool showing = windowShowing();
    if (showing == m_showing)
        return;
    m_showing = showing;
    if (showing) {
        update();
    } else {
        m_nextFrame.stop();
    }
}

void ChaosClockItem::requestFrameAfter(FramePacer::Time delay)
{
    if (delay <= FramePacer::Time::zero()) {
        update();
        return;
    }
    const int ms = static_cast<int>(std::ceil(std::chrono::duration<double, std::milli>(delay).count()));
    // Timers belong to the GUI thread; the sync step runs on the render thread.
    QMetaObject::invokeMethod(
        this, [this, ms] {
            if (windowShowing())
                m_nextFrame.start(ms);
        },
        Qt::QueuedConnection);
}

QSGNode* ChaosClockItem::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    const QSizeF size(width(), height());
    if (size.width() <= 0 || size.height() <= 0 || !m_source || !window()) {
        delete old;
        return nullptr;
    }
    // Hidden: keep the last picture and ask for nothing; showing again asks.
    // The window's own state, not m_showing: the first frame after an expose
    // is synchronised before the item hears of the expose.
    if (!windowShowing()) {
        m_pacer.restart();
        m_budget.restart();
        return old;
    }
    const FramePacer::Time now = steadyNow();
    const bool due = m_pacer.beginFrame(now);
    if (old && !due) {
        requestFrameAfter(m_pacer.untilNextFrame(now));
        return old;
    }

    const QDateTime date = QDateTime::currentDateTime();
    const double dpr = window()->effectiveDevicePixelRatio();
    const bool openGL = !m_openGLFailed
        && window()->rendererInterface()->graphicsApi() == QSGRendererInterface::OpenGL;
    QSGNode* node = nullptr;
    if (openGL) {
        auto* glNode = dynamic_cast<ClockGLNode*>(old);
        if (!glNode) {
            delete old;
            glNode = new ClockGLNode(window(), m_framesDrawn);
            if (!glNode->initialize()) {
                qCWarning(lcChaosClock) << "drawing the clock with QPainter:" << glNode->errorString();
                delete glNode;
                glNode = nullptr;
                m_openGLFailed = true;
            }
        }
        if (glNode) {
            const ClockRendering rendering = chooseClockRendering(m_mode, glNode->isSoftwareRasteriser());
            if (glNode->setFrame(m_source, date, size, dpr, rendering.renderScale, rendering.thinning,
                                  rendering.strokeStrips)) {
                m_rendering = rendering;
                m_usesOpenGL = true;
                node = glNode;
            } else {
                qCWarning(lcChaosClock) << "drawing the clock with QPainter: no framebuffer of"
                                        << size * dpr * rendering.renderScale;
                delete glNode;
                m_openGLFailed = true;
            }
        }
        if (!node)
            old = nullptr;
    }
    if (!node) {
        m_usesOpenGL = false;
        // Painting runs on the CPU whatever the scene graph.
        m_rendering = chooseClockRendering(m_mode, true);
        node = updatePainterNode(old, date, size, dpr * m_rendering.renderScale);
    }
    m_renderScale = m_rendering.renderScale;
    m_pacer.setMaxFramesPerSecond(m_rendering.maxFramesPerSecond);
    if (m_rendering.maxCoreShare > 0) {
        m_budget.setCoreShare(m_rendering.maxCoreShare);
        m_budget.frameDrawn(now, processCpuTime());
        m_pacer.setMinimumInterval(m_budget.minimumInterval());
    } else {
        m_pacer.setMinimumInterval({});
    }
    // The clock never stands still: ask for the next frame.
    requestFrameAfter(m_pacer.untilNextFrame(now));
    return node;
}

QSGNode* ChaosClockItem::updatePainterNode(QSGNode* old, const QDateTime& date, QSizeF size, double scale)
{
    auto* node = dynamic_cast<ClockPainterNode*>(old);
    if (!node) {
        delete old;
        node = new ClockPainterNode(window()->createImageNode());
        node->image->setFiltering(QSGTexture::Linear);
    }
    m_source(node->list, date, size);
    QImage image(QSize(static_cast<int>(std::ceil(size.width() * scale - 1e-6)),
                       static_cast<int>(std::ceil(size.height() * scale - 1e-6))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        node->painter.render(painter, node->list);
    }
    std::unique_ptr<QSGTexture> texture(window()->createTextureFromImage(image, QQuickWindow::TextureHasAlphaChannel));
    node->image->setTexture(texture.get());
    node->texture = std::move(texture);
    node->image->setRect(0, 0, size.width(), size.height());
    m_framesDrawn->fetch_add(1, std::memory_order_relaxed);
    return node;
}
