#pragma once

#include "console/MeshItem.h"

// A rounded-rectangle line just inside the item's edge whose colour runs
// vertically through three stops: the bevel of a raised panel, light from
// above and shadowed below.
class GradientOutline : public MeshItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(qreal lineWidth READ lineWidth WRITE setLineWidth NOTIFY lineWidthChanged)
    Q_PROPERTY(QColor topColor READ topColor WRITE setTopColor NOTIFY topColorChanged)
    Q_PROPERTY(QColor middleColor READ middleColor WRITE setMiddleColor NOTIFY middleColorChanged)
    Q_PROPERTY(QColor bottomColor READ bottomColor WRITE setBottomColor NOTIFY bottomColorChanged)
    Q_PROPERTY(qreal middlePosition READ middlePosition WRITE setMiddlePosition NOTIFY middlePositionChanged)

public:
    explicit GradientOutline(QQuickItem* parent = nullptr);

    qreal radius() const { return m_radius; }
    void setRadius(qreal value) { SLM_MESH_SETTER(m_radius, radiusChanged) }
    qreal lineWidth() const { return m_lineWidth; }
    void setLineWidth(qreal value) { SLM_MESH_SETTER(m_lineWidth, lineWidthChanged) }
    QColor topColor() const { return m_topColor; }
    void setTopColor(const QColor& value) { SLM_MESH_SETTER(m_topColor, topColorChanged) }
    QColor middleColor() const { return m_middleColor; }
    void setMiddleColor(const QColor& value) { SLM_MESH_SETTER(m_middleColor, middleColorChanged) }
    QColor bottomColor() const { return m_bottomColor; }
    void setBottomColor(const QColor& value) { SLM_MESH_SETTER(m_bottomColor, bottomColorChanged) }
    qreal middlePosition() const { return m_middlePosition; }
    void setMiddlePosition(qreal value) { SLM_MESH_SETTER(m_middlePosition, middlePositionChanged) }

signals:
    void radiusChanged();
    void lineWidthChanged();
    void topColorChanged();
    void middleColorChanged();
    void bottomColorChanged();
    void middlePositionChanged();

protected:
    void buildMesh(slm::console::ColorMesh& mesh) const override;

private:
    qreal m_radius = 0;
    qreal m_lineWidth = 1;
    QColor m_topColor = Qt::white;
    QColor m_middleColor = Qt::gray;
    QColor m_bottomColor = Qt::black;
    qreal m_middlePosition = 0.5;
};
