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

#include <cmath>
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

} // namespace

ChaosClockItem::ChaosClockItem(QQuickItem* parent)
    : QQuickItem(parent)
    , m_source(drawChaosClock)
{
    setFlag(ItemHasContents, true);
}

ChaosClockItem::~ChaosClockItem() = default;

void ChaosClockItem::setFrameSource(ClockFrameSource source)
{
    m_source = std::move(source);
    update();
}

void ChaosClockItem::registerQmlType()
{
    qmlRegisterType<ChaosClockItem>("Starlume.Clock", 1, 0, "ChaosClockItem");
}

QSGNode* ChaosClockItem::updatePaintNode(QSGNode* old, UpdatePaintNodeData*)
{
    const QSizeF size(width(), height());
    if (size.width() <= 0 || size.height() <= 0 || !m_source || !window()) {
        delete old;
        return nullptr;
    }
    // The clock never stands still: ask for the next frame now.
    update();

    const QDateTime date = QDateTime::currentDateTime();
    const double dpr = window()->effectiveDevicePixelRatio();
    const bool openGL = !m_openGLFailed
        && window()->rendererInterface()->graphicsApi() == QSGRendererInterface::OpenGL;
    if (openGL) {
        auto* node = dynamic_cast<ClockGLNode*>(old);
        if (!node) {
            delete old;
            node = new ClockGLNode(window(), m_framesDrawn);
            if (!node->initialize()) {
                qCWarning(lcChaosClock) << "drawing the clock with QPainter:" << node->errorString();
                delete node;
                node = nullptr;
                m_openGLFailed = true;
            }
        }
        if (node && node->setFrame(m_source, date, size, dpr)) {
            m_usesOpenGL = true;
            return node;
        }
        if (node) {
            qCWarning(lcChaosClock) << "drawing the clock with QPainter: no framebuffer of" << size * dpr;
            delete node;
            m_openGLFailed = true;
        }
        old = nullptr;
    }
    m_usesOpenGL = false;
    return updatePainterNode(old, date, size, dpr);
}

QSGNode* ChaosClockItem::updatePainterNode(QSGNode* old, const QDateTime& date, QSizeF size, double dpr)
{
    auto* node = dynamic_cast<ClockPainterNode*>(old);
    if (!node) {
        delete old;
        node = new ClockPainterNode(window()->createImageNode());
        node->image->setFiltering(QSGTexture::Linear);
    }
    m_source(node->list, date, size);
    QImage image(QSize(static_cast<int>(std::ceil(size.width() * dpr - 1e-6)),
                       static_cast<int>(std::ceil(size.height() * dpr - 1e-6))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
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
