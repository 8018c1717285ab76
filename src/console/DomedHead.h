#pragma once

#include "console/MeshItem.h"

// A domed screw or rivet head filling the item's square: a soft drop shadow,
// a metal dome lit from the upper left, a thin rim and, for screws, a slot.
class DomedHead : public MeshItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor rimColor READ rimColor WRITE setRimColor NOTIFY rimColorChanged)
    Q_PROPERTY(qreal rimWidth READ rimWidth WRITE setRimWidth NOTIFY rimWidthChanged)
    Q_PROPERTY(qreal shadowOpacity READ shadowOpacity WRITE setShadowOpacity NOTIFY shadowOpacityChanged)
    Q_PROPERTY(bool slotted READ slotted WRITE setSlotted NOTIFY slottedChanged)
    Q_PROPERTY(qreal slotAngle READ slotAngle WRITE setSlotAngle NOTIFY slotAngleChanged)
    Q_PROPERTY(qreal brightness READ brightness WRITE setBrightness NOTIFY brightnessChanged)

public:
    explicit DomedHead(QQuickItem* parent = nullptr);

    QColor rimColor() const { return m_rimColor; }
    void setRimColor(const QColor& value) { SLM_MESH_SETTER(m_rimColor, rimColorChanged) }
    qreal rimWidth() const { return m_rimWidth; }
    void setRimWidth(qreal value) { SLM_MESH_SETTER(m_rimWidth, rimWidthChanged) }
    qreal shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(qreal value) { SLM_MESH_SETTER(m_shadowOpacity, shadowOpacityChanged) }
    bool slotted() const { return m_slotted; }
    void setSlotted(bool value) { SLM_MESH_SETTER(m_slotted, slottedChanged) }
    qreal slotAngle() const { return m_slotAngle; }
    void setSlotAngle(qreal value) { SLM_MESH_SETTER(m_slotAngle, slotAngleChanged) }
    qreal brightness() const { return m_brightness; }
    void setBrightness(qreal value) { SLM_MESH_SETTER(m_brightness, brightnessChanged) }

signals:
    void rimColorChanged();
    void rimWidthChanged();
    void shadowOpacityChanged();
    void slottedChanged();
    void slotAngleChanged();
    void brightnessChanged();

protected:
    void buildMesh(slm::console::ColorMesh& mesh) const override;

private:
    QColor m_rimColor = QColor::fromRgbF(1, 1, 1, 0.12f);
    qreal m_rimWidth = 0.5;
    qreal m_shadowOpacity = 0.55;
    bool m_slotted = true;
    qreal m_slotAngle = -35;
    qreal m_brightness = 1;
};
