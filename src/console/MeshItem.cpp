#include "console/MeshItem.h"

#include <QSGGeometryNode>
#include <QSGVertexColorMaterial>

#include <algorithm>

MeshItem::MeshItem(QQuickItem* parent)
    : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

slm::console::MeshColor MeshItem::meshColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return {static_cast<float>(rgb.redF()), static_cast<float>(rgb.greenF()), static_cast<float>(rgb.blueF()),
            static_cast<float>(rgb.alphaF())};
}

void MeshItem::buildMesh(slm::console::ColorMesh&) const
{
}

QSGNode* MeshItem::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*)
{
    slm::console::ColorMesh mesh;
    if (width() > 0 && height() > 0)
        buildMesh(mesh);
    if (mesh.isEmpty()) {
        delete oldNode;
        return nullptr;
    }

    auto* node = static_cast<QSGGeometryNode*>(oldNode);
    if (!node) {
        node = new QSGGeometryNode;
        auto* geometry = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0, 0,
                                         QSGGeometry::UnsignedShortType);
        geometry->setDrawingMode(QSGGeometry::DrawTriangles);
        node->setGeometry(geometry);
        node->setFlag(QSGNode::OwnsGeometry);
        node->setMaterial(new QSGVertexColorMaterial);
        node->setFlag(QSGNode::OwnsMaterial);
    }

    QSGGeometry* geometry = node->geometry();
    const auto& vertices = mesh.vertices();
    const auto& indices = mesh.indices();
    geometry->allocate(static_cast<int>(vertices.size()), static_cast<int>(indices.size()));
    static_assert(sizeof(slm::console::MeshVertex) == sizeof(QSGGeometry::ColoredPoint2D));
    std::copy(vertices.begin(), vertices.end(),
              reinterpret_cast<slm::console::MeshVertex*>(geometry->vertexDataAsColoredPoint2D()));
    std::copy(indices.begin(), indices.end(), geometry->indexDataAsUShort());
    node->markDirty(QSGNode::DirtyGeometry);
    return node;
}

void MeshItem::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        update();
}
