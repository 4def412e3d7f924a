#include "OverlayNodes.h"

#include "OverlayGeometry.h"
#include "Palette.h"

#include <QQuickWindow>
#include <QSGTextureMaterial>

using namespace overlaygeometry;

OverlayNodes::OverlayNodes(QQuickWindow *window, qreal dpr) : m_atlas(dpr)
{
    m_atlasTexture = window->createTextureFromImage(m_atlas.image());
    m_atlasTexture->setFiltering(QSGTexture::Linear);
    // Not from the shared atlas: a texture in an atlas cannot repeat.
    m_dashTexture = window->createTextureFromImage(dashPattern(dpr, zeltrin::palette().themeGold, overlay::kPathWidth));
    m_dashTexture->setFiltering(QSGTexture::Linear);
    for (QSGNode *&slot : m_slots) {
        slot = new QSGNode;
        appendChildNode(slot);
    }
}

OverlayNodes::~OverlayNodes()
{
    // The nodes drawing with the textures go before them (each leaves its parent as it goes).
    for (QSGNode *slot : m_slots)
        delete slot;
    delete m_atlasTexture;
    delete m_dashTexture;
}

OverlayNodes *OverlayNodes::in(QSGNode *slot, QQuickWindow *window, qreal dpr, bool *made)
{
    auto *nodes = static_cast<OverlayNodes *>(slot->firstChild());
    if (nodes && nodes->devicePixelRatio() != dpr) {
        delete nodes; // leaves its parent
        nodes = nullptr;
    }
    *made = !nodes;
    if (!nodes) {
        nodes = new OverlayNodes(window, dpr);
        slot->appendChildNode(nodes);
    }
    return nodes;
}

void OverlayNodes::setOffset(QPointF offset)
{
    setSnappedOffset(this, offset, m_atlas.devicePixelRatio());
}

QSGGeometryNode *OverlayNodes::atlasNode() const
{
    auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
    g->setDrawingMode(QSGGeometry::DrawTriangles);
    auto *tm = new QSGTextureMaterial;
    tm->setTexture(m_atlasTexture);
    tm->setFiltering(QSGTexture::Linear);
    return geometryNode(g, tm);
}

QSGGeometryNode *OverlayNodes::dashNode() const
{
    auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
    g->setDrawingMode(QSGGeometry::DrawTriangles);
    auto *dash = new QSGTextureMaterial;
    dash->setTexture(m_dashTexture);
    dash->setFiltering(QSGTexture::Linear);
    dash->setHorizontalWrapMode(QSGTexture::Repeat);
    dash->setVerticalWrapMode(QSGTexture::ClampToEdge);
    return geometryNode(g, dash);
}
