#pragma once

#include "console/ColorMesh.h"

#include <QColor>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Base of the items drawn from a ColorMesh. Subclasses describe their shape
// in buildMesh(); the mesh is rebuilt whenever a property or the size changes.
class MeshItem : public QQuickItem {
    Q_OBJECT
    QML_ANONYMOUS

public:
    explicit MeshItem(QQuickItem* parent = nullptr);

    static slm::console::MeshColor meshColor(const QColor& colour);

protected:
    virtual void buildMesh(slm::console::ColorMesh& mesh) const;

    QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
};

// Setter body shared by the mesh items' properties.
#define SLM_MESH_SETTER(member, signal) \
    if (member == value)                \
        return;                         \
    member = value;                     \
    update();                           \
    emit signal();
