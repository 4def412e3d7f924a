#include "TileLayer.h"

#include "OverlayGeometry.h"
#include "PainterLayerNode.h"
#include "TileSetNode.h"
#include "TileSources.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGFlatColorMaterial>
#include <QSGRectangleNode>
#include <QStandardPaths>

#include <algorithm>

using namespace overlaygeometry;

namespace {

const QColor kGraticuleBackground(0x14, 0x18, 0x1F);
const QColor kGraticuleLine(255, 255, 255, 26);
constexpr qint64 kCacheBytes = 200ll * 1024 * 1024;

// The graticule's lines in an overlay frame, which a pan only moves.
class GraticuleNode : public QSGTransformNode
{
public:
    GraticuleNode()
    {
        auto *lines = new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(), 0);
        lines->setDrawingMode(QSGGeometry::DrawLines);
        lines->setLineWidth(1);
        auto *flat = new QSGFlatColorMaterial;
        flat->setColor(kGraticuleLine);
        m_lines = geometryNode(lines, flat);
        appendChildNode(m_lines);
    }
    void setLines(const std::vector<QLineF> &lines)
    {
        QSGGeometry *g = m_lines->geometry();
        g->allocate(int(lines.size() * 2));
        auto *v = g->vertexDataAsPoint2D();
        for (size_t i = 0; i < lines.size(); ++i) {
            v[i * 2].set(float(lines[i].x1()), float(lines[i].y1()));
            v[i * 2 + 1].set(float(lines[i].x2()), float(lines[i].y2()));
        }
        g->markVertexDataDirty();
        m_lines->markDirty(QSGNode::DirtyGeometry);
    }

private:
    QSGGeometryNode *m_lines;
};

// Background, graticule, then the tiles under the map's rotation. A transform node (identity),
// not a plain one: the software renderer re-places a changed node's subtree from its direct
// parent's recorded state, and records none for plain nodes. The tiles' transform changes every frame.
class TileLayerNode : public QSGTransformNode
{
public:
    QSGRectangleNode *background = nullptr;
    QSGNode *graticuleSlot = nullptr;
    QSGTransformNode *tileTransform = nullptr;
    TileSetNode *sets[2] = {nullptr, nullptr};
};

void paintGraticule(QPainter *p, const std::vector<QLineF> &lines)
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(QPen(kGraticuleLine, 1));
    p->drawLines(lines.data(), int(lines.size()));
}

} // namespace

TileLayer::TileLayer()
{
    m_templates[0] = TileSources::defaultImageryUrlTemplate();
    m_templates[1] = TileSources::defaultLabelsUrlTemplate();
    m_attribution = TileSources::defaultAttribution();
    m_loader.setUrlTemplate(0, m_templates[0]);
    m_loader.setUrlTemplate(1, m_templates[1]);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    m_cacheDir = base.isEmpty() ? QString() : base + QStringLiteral("/tiles");
    m_loader.setCacheDirectory(m_cacheDir, kCacheBytes);
}

void TileLayer::setUrlTemplate(int layer, const QString &t)
{
    m_templates[layer] = t;
    m_loader.setUrlTemplate(layer, t);
}

void TileLayer::setCacheDirectory(const QString &dir)
{
    m_cacheDir = dir;
    m_loader.setCacheDirectory(dir, kCacheBytes);
}

double TileLayer::meanTileBytes() const
{
    return m_loader.bodiesReceived() > 0 ? double(m_loader.bodyBytesReceived()) / m_loader.bodiesReceived() : 0.0;
}

void TileLayer::request(const MapCamera &cam)
{
    const TileRange r = cam.tilesCovering(cam.tileZoom());
    const int n = 1 << r.z;
    QList<TileKey> wanted;
    wanted.reserve(2 * r.count());
    const int mx = (r.x0 + r.x1) / 2, my = (r.y0 + r.y1) / 2;
    for (int layer = 0; layer < 2; ++layer) {
        const qsizetype start = wanted.size();
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x)
                wanted.append({layer, r.z, ((x % n) + n) % n, y});
        std::sort(wanted.begin() + start, wanted.end(), [&](const TileKey &a, const TileKey &b) {
            return std::abs(a.x - mx) + std::abs(a.y - my) < std::abs(b.x - mx) + std::abs(b.y - my);
        });
    }
    m_visible = int(wanted.size() / 2);
    m_loader.request(wanted);
}

bool TileLayer::imageryShown(const MapCamera &cam) const
{
    if (cam.width <= 0 || cam.height <= 0)
        return false;
    const TileRange r = cam.tilesCovering(cam.tileZoom());
    const int n = 1 << r.z;
    for (int y = r.y0; y <= r.y1; ++y)
        for (int x = r.x0; x <= r.x1; ++x) {
            const TileKey k{0, r.z, ((x % n) + n) % n, y};
            if (m_loader.image(k) || m_loader.fallback(k) || !m_loader.loadedChildren(k).isEmpty())
                return true;
        }
    return false;
}

QSGNode *TileLayer::updateNode(QSGNode *node, const LayerSync &s)
{
    auto *n = static_cast<TileLayerNode *>(node);
    if (!n) {
        n = new TileLayerNode;
        n->background = s.window->createRectangleNode();
        n->background->setColor(kGraticuleBackground);
        n->appendChildNode(n->background);
        n->graticuleSlot = new QSGNode;
        n->appendChildNode(n->graticuleSlot);
        n->tileTransform = new QSGTransformNode;
        n->appendChildNode(n->tileTransform);
        for (auto &set : n->sets) {
            set = new TileSetNode;
            n->tileTransform->appendChildNode(set);
        }
    }
    n->background->setRect(s.bounds);
    if (!s.placed)
        return n;

    // Tiles, positioned relative to the centre and turned by the transform node.
    QMatrix4x4 m;
    m.translate(float(s.bounds.width() / 2), float(s.bounds.height() / 2));
    m.rotate(float(-s.cam.bearing), 0, 0, 1);
    n->tileTransform->setMatrix(m);
    for (int layer = 0; layer < 2; ++layer)
        n->sets[layer]->update(s.window, m_loader, s.cam, layer);

    if (s.frameChanged || !m_graticule)
        m_graticule = std::make_shared<const std::vector<QLineF>>(overlay::graticule(s.frame));
    const QPointF offset = s.offset();
    if (s.software) {
        PainterLayerNode::in(n->graticuleSlot, s.window, s.bounds)->paint = [grid = m_graticule, offset](QPainter *p) {
            p->translate(offset);
            paintGraticule(p, *grid);
        };
        return n;
    }
    auto *grid = static_cast<GraticuleNode *>(n->graticuleSlot->firstChild());
    const bool newGrid = !grid;
    if (newGrid) {
        grid = new GraticuleNode;
        n->graticuleSlot->appendChildNode(grid);
    }
    setSnappedOffset(grid, offset, s.dpr);
    if (newGrid || s.frameChanged)
        grid->setLines(*m_graticule);
    return n;
}
