#include "clock/QPainterClockRenderer.h"

#include <QBrush>
#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

float unit(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

QColor toColor(const Rgba& c) { return QColor::fromRgbF(unit(c.r), unit(c.g), unit(c.b), unit(c.a)); }

QPointF toPoint(const Point2& p) { return {p.x, p.y}; }

// Default ColorInterpolation is Qt's premultiplied one: fading to clear keeps its hue.
void setEvenStops(QGradient& g, std::span<const Rgba> stops)
{
    if (stops.size() == 1) {
        g.setColorAt(0, toColor(stops[0]));
        g.setColorAt(1, toColor(stops[0]));
        return;
    }
    const auto last = static_cast<double>(stops.size() - 1);
    for (std::size_t i = 0; i < stops.size(); ++i)
        g.setColorAt(static_cast<double>(i) / last, toColor(stops[i]));
}

QBrush toBrush(const DisplayList& list, const Paint& paint)
{
    const auto stops = list.stops(paint);
    if (paint.kind == PaintKind::Solid)
        return QBrush(toColor(paint.color));
    if (stops.empty())
        return QBrush(Qt::transparent);
    if (paint.kind == PaintKind::Linear) {
        if (paint.p0.x == paint.p1.x && paint.p0.y == paint.p1.y)
            return QBrush(toColor(stops.back()));
        QLinearGradient g(toPoint(paint.p0), toPoint(paint.p1));
        setEvenStops(g, stops);
        return QBrush(g);
    }
    // Radial: concentric circles from r0 to r1; inside r0 the first stop, beyond r1 the last.
    if (!(paint.r1 > paint.r0))
        return QBrush(toColor(paint.r1 > 0 ? stops.front() : stops.back()));
    QRadialGradient g(toPoint(paint.p0), paint.r1, toPoint(paint.p0), paint.r0);
    setEvenStops(g, stops);
    return QBrush(g);
}

} // namespace

QPainterClockRenderer::QPainterClockRenderer()
{
    m_stroker.setCapStyle(Qt::FlatCap);
    // SVG-style mitre: beyond the limit the join is bevelled.
    m_stroker.setJoinStyle(Qt::SvgMiterJoin);
    m_stroker.setMiterLimit(10);
}

void QPainterClockRenderer::buildPath(const DisplayList& list, const PathRef& ref, bool forFill)
{
    m_path.clear();
    m_path.setFillRule(Qt::WindingFill);
    const auto pts = list.points(ref);
    switch (ref.kind) {
    case PathKind::Polyline:
        if (pts.empty())
            return;
        m_path.moveTo(toPoint(pts[0]));
        for (std::size_t i = 1; i < pts.size(); ++i)
            m_path.lineTo(toPoint(pts[i]));
        if (forFill)
            m_path.closeSubpath();
        break;
    case PathKind::Ellipse:
        if (pts.size() == 2)
            m_path.addEllipse(QRectF(pts[0].x, pts[0].y, pts[1].x, pts[1].y));
        break;
    case PathKind::Quadratic:
        if (pts.size() == 3) {
            m_path.moveTo(toPoint(pts[0]));
            m_path.quadTo(toPoint(pts[1]), toPoint(pts[2]));
            if (forFill)
                m_path.closeSubpath();
        }
        break;
    }
}

void QPainterClockRenderer::render(QPainter& painter, const DisplayList& list)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    int depth = 0;
    for (const DisplayOp& op : list.ops()) {
        switch (op.kind) {
        case OpKind::Fill:
            buildPath(list, op.path, true);
            painter.fillPath(m_path, toBrush(list, op.paint));
            break;
        case OpKind::Stroke: {
            if (!(op.width > 0))
                break;
            buildPath(list, op.path, false);
            // Filling the stroke's outline covers each pixel once even where the path
            // crosses itself; QPainter's own thin-line stroking would blend crossings twice.
            m_stroker.setWidth(op.width);
            painter.fillPath(m_stroker.createStroke(m_path), toBrush(list, op.paint));
            break;
        }
        case OpKind::PushLayer:
            painter.save();
            painter.translate(op.tx, op.ty);
            painter.scale(op.scale, op.scale);
            ++depth;
            break;
        case OpKind::PopLayer:
            if (depth > 0) {
                painter.restore();
                --depth;
            }
            break;
        }
    }
    while (depth-- > 0)
        painter.restore();
    painter.restore();
}

QImage QPainterClockRenderer::renderImage(const DisplayList& list, QSizeF sizeInPoints, double devicePixelRatio)
{
    const QSize pixels(static_cast<int>(std::lround(sizeInPoints.width() * devicePixelRatio)),
                       static_cast<int>(std::lround(sizeInPoints.height() * devicePixelRatio)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    render(painter, list);
    painter.end();
    return image;
}
