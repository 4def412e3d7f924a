#include "FootprintLayer.h"

#include "OverlayGeometry.h"
#include "OverlayNodes.h"
#include "Palette.h"
#include "WebMercator.h"

#include <QPainter>
#include <QQuickItem>
#include <QSGVertexColorMaterial>

using namespace overlaygeometry;

namespace {

constexpr double kEdgeWidth = 1;
constexpr double kOutlineWidth = 2;

QSGGeometryNode *linesNode()
{
    auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
    g->setDrawingMode(QSGGeometry::DrawTriangles);
    return geometryNode(g, new QSGVertexColorMaterial);
}

QColor outlineColour()
{
    return zeltrin::palette().themeGold;
}

} // namespace

void FootprintLayer::setSet(FootprintSet *s)
{
    if (m_set)
        m_set->disconnect(m_owner);
    m_set = s;
    m_dirty = true;
    if (s)
        QObject::connect(s, &FootprintSet::changed, m_owner, [this] {
            m_dirty = true;
            m_owner->update();
        });
    m_owner->update();
}

void FootprintLayer::sync(const LayerSync &s)
{
    if (!m_dirty && !s.frameChanged)
        return;
    m_dirty = false;
    m_fresh = true;
    auto built = std::make_shared<Built>();
    if (m_set) {
        const auto at = [&](zeltrin::Coordinate c) {
            return s.frame.project(zeltrin::mercator::toWorld(c.latitude, c.longitude));
        };
        const QList<QColor> &colours = m_set->colours();
        built->colours.assign(colours.begin(), colours.end());
        built->edges.resize(built->colours.size());
        for (const FootprintSet::Quad &q : m_set->quads()) {
            if (q.colour < 0 || q.colour >= qsizetype(built->edges.size()))
                continue;
            const QPointF p[4] = {at(q.corners[0]), at(q.corners[1]), at(q.corners[2]), at(q.corners[3])};
            // Off the built region, nothing of it shows.
            const QRectF box = QRectF(p[0], p[2]).normalized().united(QRectF(p[1], p[3]).normalized());
            if (!overlay::overlaps(box, s.frame.region))
                continue;
            auto &edges = built->edges[size_t(q.colour)];
            for (int k = 0; k < 4; ++k)
                edges.emplace_back(p[k], p[(k + 1) % 4]);
        }
        const QList<zeltrin::Coordinate> &outline = m_set->outline();
        for (qsizetype i = 0; outline.size() >= 2 && i < outline.size(); ++i)
            built->outline.emplace_back(at(outline[i]), at(outline[(i + 1) % outline.size()]));
    }
    m_built = std::move(built);
}

qsizetype FootprintLayer::builtEdges() const
{
    qsizetype n = 0;
    for (const auto &e : m_built->edges)
        n += qsizetype(e.size());
    return n;
}

void FootprintLayer::updateNodes(OverlayNodes &nodes, bool all)
{
    if (!m_fresh && !all)
        return;
    m_fresh = false;
    RunNodes *runs = RunNodes::in(nodes.slot(OverlayNodes::Areas));
    const auto colours = qsizetype(m_built->colours.size());
    runs->resize(colours + 1, linesNode);
    for (qsizetype c = 0; c < colours; ++c) {
        QSGGeometryNode *node = runs->at(c);
        writeLines(node->geometry(), m_built->edges[size_t(c)], nodes.devicePixelRatio(), m_built->colours[size_t(c)],
                   kEdgeWidth);
        node->markDirty(QSGNode::DirtyGeometry);
    }
    QSGGeometryNode *outline = runs->at(colours);
    writeLines(outline->geometry(), m_built->outline, nodes.devicePixelRatio(), outlineColour(), kOutlineWidth);
    outline->markDirty(QSGNode::DirtyGeometry);
}

std::function<void(QPainter *)> FootprintLayer::painter() const
{
    return [built = m_built](QPainter *p) {
        p->setRenderHint(QPainter::Antialiasing, true);
        for (size_t c = 0; c < built->edges.size(); ++c) {
            p->setPen(QPen(built->colours[c], kEdgeWidth));
            p->drawLines(built->edges[c].data(), int(built->edges[c].size()));
        }
        p->setPen(QPen(outlineColour(), kOutlineWidth));
        p->drawLines(built->outline.data(), int(built->outline.size()));
    };
}
