#include "OverlayNodes.h"

#include "OverlayGeometry.h"
#include "Palette.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGFlatColorMaterial>
#include <QSGGeometryNode>
#include <QSGOpacityNode>
#include <QSGRendererInterface>
#include <QSGTextureMaterial>
#include <QSGVertexColorMaterial>

#include <algorithm>
#include <cmath>

using namespace overlaygeometry;

namespace {

const QColor kGraticuleLine(255, 255, 255, 26);
constexpr double kPathWidth = 2;
constexpr double kTrackWidth = 3;

QColor trackColour() { return zeltrin::palette().themeBlue; }

std::vector<QLineF> legsOf(const std::vector<QPointF> &points)
{
    std::vector<QLineF> legs;
    legs.reserve(points.size());
    for (size_t i = 1; i < points.size(); ++i)
        legs.emplace_back(points[i - 1], points[i]);
    return legs;
}

QSGGeometryNode *geometryNode(QSGGeometry *g, QSGMaterial *m)
{
    auto *node = new QSGGeometryNode;
    node->setGeometry(g);
    node->setMaterial(m);
    node->setFlags(QSGNode::OwnsGeometry | QSGNode::OwnsMaterial);
    return node;
}

void setSnappedOffset(QSGTransformNode *node, QPointF offset, qreal dpr)
{
    QMatrix4x4 m;
    m.translate(float(snap(offset.x(), dpr)), float(snap(offset.y(), dpr)));
    if (m != node->matrix())
        node->setMatrix(m);
}

} // namespace

OverlayNodes::OverlayNodes(QQuickWindow *window, qreal dpr) : m_window(window), m_atlas(dpr)
{
    m_atlasTexture = window->createTextureFromImage(m_atlas.image());
    m_atlasTexture->setFiltering(QSGTexture::Linear);
    // Not from the shared atlas: a texture in an atlas cannot repeat.
    m_dashTexture = window->createTextureFromImage(dashPattern(dpr, zeltrin::palette().themeGold, kPathWidth));
    m_dashTexture->setFiltering(QSGTexture::Linear);

    m_paths = new QSGNode;
    appendChildNode(m_paths);
    m_markers = new QSGNode;
    appendChildNode(m_markers);
    m_track = new QSGNode;
    appendChildNode(m_track);
    m_lifted = new QSGNode;
    appendChildNode(m_lifted);
    // Home, then the aircraft on top of everything.
    for (auto [slot, quad] : {std::pair{&m_home, m_atlas.home()}, std::pair{&m_aircraft, m_atlas.aircraft()}}) {
        *slot = new QSGTransformNode;
        QSGGeometryNode *node = atlasNode();
        writeQuad(node->geometry(), quad);
        (*slot)->appendChildNode(node);
    }
}

OverlayNodes::~OverlayNodes()
{
    // The nodes drawing with the atlas go before its texture (each leaves its parent as it goes).
    delete m_paths;
    delete m_markers;
    delete m_lifted;
    delete m_track;
    // Home and aircraft are attached only while shown.
    delete m_home;
    delete m_aircraft;
    delete m_atlasTexture;
    delete m_dashTexture;
}

void OverlayNodes::setOffset(QPointF offset) { setSnappedOffset(this, offset, m_atlas.devicePixelRatio()); }

GraticuleNode::GraticuleNode()
{
    auto *lines = new QSGGeometry(QSGGeometry::defaultAttributes_Point2D(), 0);
    lines->setDrawingMode(QSGGeometry::DrawLines);
    lines->setLineWidth(1);
    auto *flat = new QSGFlatColorMaterial;
    flat->setColor(kGraticuleLine);
    m_lines = geometryNode(lines, flat);
    appendChildNode(m_lines);
}

void GraticuleNode::setOffset(QPointF offset, qreal dpr) { setSnappedOffset(this, offset, dpr); }

void GraticuleNode::setLines(const std::vector<QLineF> &lines)
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

void OverlayNodes::setChunkCount(qsizetype count)
{
    while (qsizetype(m_runs.size()) > count) {
        Run &r = m_runs.back();
        m_paths->removeChildNode(r.path);
        m_markers->removeChildNode(r.markers);
        delete r.path;
        delete r.markers;
        m_runs.pop_back();
    }
    while (qsizetype(m_runs.size()) < count) {
        Run r;
        auto *pg = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
        pg->setDrawingMode(QSGGeometry::DrawTriangles);
        auto *dash = new QSGTextureMaterial;
        dash->setTexture(m_dashTexture);
        dash->setFiltering(QSGTexture::Linear);
        dash->setHorizontalWrapMode(QSGTexture::Repeat);
        dash->setVerticalWrapMode(QSGTexture::ClampToEdge);
        r.path = geometryNode(pg, dash);
        r.markers = atlasNode();
        // Resting markers lie on whole device pixels: at a whole ratio each texel is one pixel,
        // and unfiltered sampling is cheaper for the rasteriser and just as sharp.
        const qreal dpr = m_atlas.devicePixelRatio();
        if (dpr == std::round(dpr))
            static_cast<QSGTextureMaterial *>(r.markers->material())->setFiltering(QSGTexture::Nearest);
        m_paths->appendChildNode(r.path);
        m_markers->appendChildNode(r.markers);
        m_runs.push_back(r);
    }
}

QSGGeometryNode *OverlayNodes::atlasNode()
{
    auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
    g->setDrawingMode(QSGGeometry::DrawTriangles);
    auto *tm = new QSGTextureMaterial;
    tm->setTexture(m_atlasTexture);
    tm->setFiltering(QSGTexture::Linear);
    return geometryNode(g, tm);
}

void OverlayNodes::setSelection(const std::vector<MarkerDraw> &markers)
{
    while (m_liftedMarkers.size() > markers.size()) {
        delete m_liftedMarkers.back().root; // leaves its parent, with its children
        m_liftedMarkers.pop_back();
    }
    while (m_liftedMarkers.size() < markers.size()) {
        Lifted l;
        l.root = new QSGNode;
        for (int k = 0; k < 2; ++k) {
            l.fade[k] = new QSGOpacityNode;
            l.place[k] = new QSGTransformNode;
            l.quads[k] = atlasNode();
            l.place[k]->appendChildNode(l.quads[k]);
            l.fade[k]->appendChildNode(l.place[k]);
            l.root->appendChildNode(l.fade[k]);
        }
        m_lifted->appendChildNode(l.root);
        m_liftedMarkers.push_back(l);
    }
    const qreal dpr = m_atlas.devicePixelRatio();
    for (size_t i = 0; i < markers.size(); ++i) {
        Lifted &l = m_liftedMarkers[i];
        const MarkerDraw &m = markers[i];
        if (l.number != m.number) {
            for (int k = 0; k < 2; ++k) {
                writeMarkers(l.quads[k]->geometry(), {MarkerDraw{QPointF(), m.number, 0}}, m_atlas,
                             MarkerAtlas::StyleKind(k));
                l.quads[k]->markDirty(QSGNode::DirtyGeometry);
            }
            l.number = m.number;
        }
        // The circle grows from 28 to 34 as the selected look fades in over the plain one.
        const double t = std::clamp(m.selected, 0.0, 1.0);
        const double diameter = 28 + 6 * t;
        const double scale[2] = {diameter / 28, diameter / 34};
        const double opacity[2] = {1 - t, t};
        for (int k = 0; k < 2; ++k) {
            QMatrix4x4 mat;
            mat.translate(float(snap(m.pos.x(), dpr)), float(snap(m.pos.y(), dpr)));
            mat.scale(float(scale[k]));
            if (mat != l.place[k]->matrix())
                l.place[k]->setMatrix(mat);
            if (l.fade[k]->opacity() != opacity[k])
                l.fade[k]->setOpacity(opacity[k]);
        }
    }
}

void OverlayNodes::setChunk(qsizetype c, const OverlayChunk &chunk)
{
    if (c >= qsizetype(m_runs.size()))
        setChunkCount(c + 1);
    Run &r = m_runs[size_t(c)];
    writePieces(r.path->geometry(), chunk.path, m_atlas.devicePixelRatio(), kPathWidth);
    r.path->markDirty(QSGNode::DirtyGeometry);
    writeMarkers(r.markers->geometry(), chunk.markers, m_atlas);
    r.markers->markDirty(QSGNode::DirtyGeometry);
}

void OverlayNodes::setTrackRunCount(qsizetype count)
{
    while (m_track->childCount() > count)
        delete m_track->lastChild(); // leaves its parent
    while (m_track->childCount() < count) {
        auto *g = new QSGGeometry(QSGGeometry::defaultAttributes_ColoredPoint2D(), 0, 0, QSGGeometry::UnsignedIntType);
        g->setDrawingMode(QSGGeometry::DrawTriangles);
        m_track->appendChildNode(geometryNode(g, new QSGVertexColorMaterial));
    }
}

void OverlayNodes::setTrackRun(qsizetype r, const std::vector<QPointF> &points)
{
    if (r >= m_track->childCount())
        setTrackRunCount(r + 1);
    auto *node = static_cast<QSGGeometryNode *>(m_track->childAtIndex(int(r)));
    writeLines(node->geometry(), legsOf(points), m_atlas.devicePixelRatio(), trackColour(), kTrackWidth);
    node->markDirty(QSGNode::DirtyGeometry);
}

void OverlayNodes::setVehicles(const VehicleDraw &v)
{
    if (v == m_shownVehicles)
        return;
    const qreal dpr = m_atlas.devicePixelRatio();
    auto show = [this, dpr](QSGTransformNode *node, const std::optional<QPointF> &at, double rotation) {
        if (!at) {
            if (node->parent())
                removeChildNode(node);
            return;
        }
        QMatrix4x4 m;
        m.translate(float(snap(at->x(), dpr)), float(snap(at->y(), dpr)));
        if (rotation != 0)
            m.rotate(float(rotation), 0, 0, 1);
        node->setMatrix(m);
        if (!node->parent())
            appendChildNode(node);
    };
    // The aircraft stays last, so it is drawn over the home point.
    if (v.home && !m_home->parent() && m_aircraft->parent())
        removeChildNode(m_aircraft);
    show(m_home, v.home, 0);
    show(m_aircraft, v.aircraft, v.aircraftRotation);
    m_shownVehicles = v;
}

void PainterLayerNode::render(const RenderState *state)
{
    auto *p = static_cast<QPainter *>(
        window->rendererInterface()->getResource(window, QSGRendererInterface::PainterResource));
    if (!p || !paint)
        return;
    p->save();
    // The clip is in window pixels: set it before the item's transform, or it moves with it.
    if (const QRegion *clip = state->clipRegion(); clip && !clip->isEmpty())
        p->setClipRegion(*clip, Qt::ReplaceClip);
    p->setTransform(matrix()->toTransform());
    p->setOpacity(inheritedOpacity());
    paint(p);
    p->restore();
}

namespace overlay {

void paintGraticule(QPainter *p, const std::vector<QLineF> &lines)
{
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(QPen(kGraticuleLine, 1));
    p->drawLines(lines.data(), int(lines.size()));
}

void paintPath(QPainter *p, const std::vector<PathPiece> &pieces)
{
    std::vector<QLineF> dashes;
    dashes.reserve(pieces.size());
    for (const PathPiece &piece : pieces)
        overlay::appendDashes(piece, &dashes);
    p->setRenderHint(QPainter::Antialiasing, true);
    QPen pen(zeltrin::palette().themeGold, kPathWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p->setPen(pen);
    p->drawLines(dashes.data(), int(dashes.size()));
}

void paintMarkers(QPainter *p, const std::vector<MarkerDraw> &markers)
{
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    const double half = marker::kSpriteSize / 2.0;
    for (const MarkerDraw &m : markers) {
        const QImage sprite = marker::sprite(m.number, m.selected >= 1, dpr);
        p->drawImage(QPointF(m.pos.x() - sprite.deviceIndependentSize().width() / 2, m.pos.y() - half), sprite);
    }
}

void paintTrack(QPainter *p, const std::vector<QPointF> &points)
{
    p->setRenderHint(QPainter::Antialiasing, true);
    p->setPen(QPen(trackColour(), kTrackWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p->drawPolyline(points.data(), int(points.size()));
}

void paintVehicles(QPainter *p, const VehicleDraw &v)
{
    if (v.home)
        marker::paintHome(p, *v.home);
    if (v.aircraft) {
        p->save();
        p->translate(*v.aircraft);
        p->rotate(v.aircraftRotation);
        marker::paintAircraft(p, QPointF());
        p->restore();
    }
}

} // namespace overlay
