#include "console/GradientOutline.h"

GradientOutline::GradientOutline(QQuickItem* parent)
    : MeshItem(parent)
{
}

void GradientOutline::buildMesh(slm::console::ColorMesh& mesh) const
{
    const auto top = meshColor(m_topColor);
    const auto middle = meshColor(m_middleColor);
    const auto bottom = meshColor(m_bottomColor);
    const double h = height();
    const double middlePosition = m_middlePosition;
    mesh.addRoundedOutline(QRectF(0, 0, width(), h), m_radius, m_lineWidth, [&](QPointF p) {
        return slm::console::threeStopColor(top, middle, bottom, middlePosition, p.y() / h);
    });
}
