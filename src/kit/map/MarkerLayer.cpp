#include "MarkerLayer.h"

#include "MarkerPainter.h"
#include "OverlayGeometry.h"
#include "OverlayNodes.h"
#include "Palette.h"
#include "WebMercator.h"

#include <QPainter>
#include <QQuickItem>
#include <QSGOpacityNode>
#include <QSGTextureMaterial>

#include <algorithm>
#include <cmath>

using namespace overlaygeometry;

namespace {

// The selected markers over every run: each a plain and a selected look, scaled and faded.
class LiftedNodes : public QSGNode
{
public:
    static LiftedNodes *in(QSGNode *slot)
    {
        auto *n = static_cast<LiftedNodes *>(slot->firstChild());
        if (!n) {
            n = new LiftedNodes;
            slot->appendChildNode(n);
        }
        return n;
    }

    void show(const std::vector<MarkerDraw> &markers, const OverlayNodes &nodes)
    {
        while (m_lifted.size() > markers.size()) {
            delete m_lifted.back().root; // leaves its parent, with its children
            m_lifted.pop_back();
        }
        while (m_lifted.size() < markers.size()) {
            Lifted l;
            l.root = new QSGNode;
            for (int k = 0; k < 2; ++k) {
                l.fade[k] = new QSGOpacityNode;
                l.place[k] = new QSGTransformNode;
                l.quads[k] = nodes.atlasNode();
                l.place[k]->appendChildNode(l.quads[k]);
                l.fade[k]->appendChildNode(l.place[k]);
                l.root->appendChildNode(l.fade[k]);
            }
            appendChildNode(l.root);
            m_lifted.push_back(l);
        }
        const qreal dpr = nodes.devicePixelRatio();
        for (size_t i = 0; i < markers.size(); ++i) {
            Lifted &l = m_lifted[i];
            const MarkerDraw &m = markers[i];
            if (l.number != m.number) {
                for (int k = 0; k < 2; ++k) {
                    writeMarkers(l.quads[k]->geometry(), {MarkerDraw{QPointF(), m.number, 0}}, nodes.atlas(),
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

private:
    struct Lifted {
        QSGNode *root = nullptr;
        QSGOpacityNode *fade[2] = {nullptr, nullptr};
        QSGTransformNode *place[2] = {nullptr, nullptr};
        QSGGeometryNode *quads[2] = {nullptr, nullptr};
        int number = -1;
    };
    std::vector<Lifted> m_lifted;
};

void paintPath(QPainter *p, const std::vector<PathPiece> &pieces)
{
    std::vector<QLineF> dashes;
    dashes.reserve(pieces.size());
    for (const PathPiece &piece : pieces)
        overlay::appendDashes(piece, &dashes);
    p->setRenderHint(QPainter::Antialiasing, true);
    QPen pen(zeltrin::palette().themeGold, overlay::kPathWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
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

} // namespace

void MarkerLayer::setModel(CoordinateListModel *m)
{
    if (m_model)
        m_model->disconnect(m_owner);
    m_model = m;
    m_shownSelection = m ? m->marked() : std::nullopt;
    m_previousSelection.reset();
    m_firstChanged = 0;
    if (!m)
        return;
    QObject::connect(m, &CoordinateListModel::coordinatesChangedFrom, m_owner,
                     [this](qsizetype first) { m_firstChanged = std::min(m_firstChanged, first); });
    QObject::connect(m, &CoordinateListModel::contentChanged, m_owner, [this] {
        selectionChanged();
        m_owner->update();
        m_owner->polish();
    });
}

void MarkerLayer::selectionChanged()
{
    const auto now = m_model ? m_model->marked() : std::nullopt;
    if (now == m_shownSelection)
        return;
    // Both runs change: one gets its marker back, the other gives one up.
    markRunDirty(m_previousSelection);
    markRunDirty(m_shownSelection);
    markRunDirty(now);
    m_previousSelection = m_shownSelection;
    m_shownSelection = now;
    m_selectionClock.start();
}

void MarkerLayer::markRunDirty(std::optional<qsizetype> position)
{
    if (!position || *position < 0)
        return;
    const auto c = size_t(MarkerIndex::chunkOf(*position));
    if (c < m_dirty.size())
        m_dirty[c] = true;
}

double MarkerLayer::selectionAmount(qsizetype index) const
{
    double t = 1.0;
    if (m_selectionClock.isValid()) {
        const double x = std::min(1.0, double(m_selectionClock.elapsed()) / double(kSelectionMs));
        t = 1.0 - std::pow(1.0 - x, 3); // ease out
    }
    if (m_shownSelection && *m_shownSelection == index)
        return t;
    if (m_previousSelection && *m_previousSelection == index)
        return 1.0 - t;
    return 0.0;
}

int MarkerLayer::markerAt(const MapCamera &cam, QPointF point) const
{
    if (!m_model)
        return -1;
    const auto &list = m_model->coordinates();
    const auto marked = m_model->marked();
    // Later markers are drawn on top, so search from the end.
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        const QPointF s = cam.worldToScreen(zeltrin::mercator::toWorld(list[i].latitude, list[i].longitude));
        const double r = marker::hitRadius(marked && *marked == i);
        const QPointF d = s - point;
        if (d.x() * d.x() + d.y() * d.y() <= r * r)
            return int(i);
    }
    return -1;
}

QList<int> MarkerLayer::markersIn(const MapCamera &cam, QRectF area, int max) const
{
    QList<int> in;
    if (!m_model)
        return in;
    const auto &list = m_model->coordinates();
    for (qsizetype i = 0; i < list.size() && in.size() < max; ++i)
        if (area.contains(cam.worldToScreen(zeltrin::mercator::toWorld(list[i].latitude, list[i].longitude))))
            in.append(int(i));
    return in;
}

void MarkerLayer::sync(const LayerSync &s)
{
    m_rebuilt.clear();
    const qsizetype count = m_model ? m_model->count() : 0;
    if (m_firstChanged != kNothingChanged || m_index.size() != count) {
        const qsizetype first = std::min({m_firstChanged, m_index.size(), count});
        m_index.update(m_model ? m_model->coordinates() : QList<zeltrin::Coordinate>(), first);
        const auto n = size_t(m_index.chunkCount());
        m_runs.resize(n);
        m_dirty.resize(n, true);
        // The run before also changes: its last leg ends in the first changed run.
        for (auto c = size_t(std::max<qsizetype>(0, MarkerIndex::chunkOf(first) - 1)); c < n; ++c)
            m_dirty[c] = true;
        m_firstChanged = kNothingChanged;
    }
    // A deselected marker rejoins its run once its animation is over.
    if (!animating() && m_previousSelection) {
        markRunDirty(m_previousSelection);
        m_previousSelection.reset();
    }
    if (s.frameChanged)
        std::fill(m_dirty.begin(), m_dirty.end(), true);
    for (size_t c = 0; c < m_dirty.size(); ++c) {
        if (!m_dirty[c])
            continue;
        auto run = std::make_shared<OverlayChunk>();
        overlay::buildChunk(m_index, qsizetype(c), s.frame, m_shownSelection, m_previousSelection, run.get());
        m_runs[c] = std::move(run);
        m_dirty[c] = false;
        m_rebuilt.push_back(qsizetype(c));
    }
    // A rebuilt run can cover, or stop covering, markers of the runs beneath it.
    if (!m_rebuilt.empty()) {
        for (const qsizetype c : overlay::thinAcrossRuns(s.frame, &m_runs))
            if (std::find(m_rebuilt.begin(), m_rebuilt.end(), c) == m_rebuilt.end())
                m_rebuilt.push_back(c);
    }

    // The selected marker, and the one just deselected while it fades, go over everything.
    m_lifted.clear();
    const QPointF offset = s.offset();
    const QRectF shown = s.bounds.adjusted(-overlay::kMarkerCull, -overlay::kMarkerCull, overlay::kMarkerCull,
                                           overlay::kMarkerCull);
    for (const auto &sel : {m_previousSelection, m_shownSelection}) {
        if (!sel || *sel < 0 || *sel >= m_index.size())
            continue;
        const QPointF pos = s.cam.worldToScreen(m_index.world(*sel));
        if (shown.contains(pos))
            m_lifted.push_back({pos - offset, int(*sel + 1), selectionAmount(*sel)});
    }
    if (animating())
        // Keep animating; queued because this may run on the render thread.
        QMetaObject::invokeMethod(
            m_owner, [owner = m_owner] { owner->update(); }, Qt::QueuedConnection);
}

void MarkerLayer::updateNodes(OverlayNodes &nodes, bool all) const
{
    RunNodes *paths = RunNodes::in(nodes.slot(OverlayNodes::Paths));
    RunNodes *markers = RunNodes::in(nodes.slot(OverlayNodes::Markers));
    const qreal dpr = nodes.devicePixelRatio();
    const auto count = qsizetype(m_runs.size());
    paths->resize(count, [&nodes] { return nodes.dashNode(); });
    markers->resize(count, [&nodes, dpr] {
        QSGGeometryNode *node = nodes.atlasNode();
        // Resting markers lie on whole device pixels: at a whole ratio each texel is one pixel,
        // and unfiltered sampling is cheaper for the rasteriser and just as sharp.
        if (dpr == std::round(dpr))
            static_cast<QSGTextureMaterial *>(node->material())->setFiltering(QSGTexture::Nearest);
        return node;
    });
    static const OverlayChunk kEmpty;
    auto push = [&](qsizetype c) {
        const OverlayChunk &run = m_runs[size_t(c)] ? *m_runs[size_t(c)] : kEmpty;
        writePieces(paths->at(c)->geometry(), run.path, dpr, overlay::kPathWidth);
        paths->at(c)->markDirty(QSGNode::DirtyGeometry);
        writeMarkers(markers->at(c)->geometry(), run.markers, nodes.atlas());
        markers->at(c)->markDirty(QSGNode::DirtyGeometry);
    };
    if (all) {
        for (qsizetype c = 0; c < count; ++c)
            push(c);
    } else {
        for (const qsizetype c : m_rebuilt)
            push(c);
    }
    // Quads from the same atlas; an animation frame moves and fades them.
    LiftedNodes::in(nodes.slot(OverlayNodes::Lifted))->show(m_lifted, nodes);
}

std::function<void(QPainter *)> MarkerLayer::pathPainter() const
{
    return [runs = m_runs](QPainter *p) {
        for (const auto &run : runs)
            if (run)
                paintPath(p, run->path);
    };
}

std::function<void(QPainter *)> MarkerLayer::markerPainter() const
{
    return [runs = m_runs, lifted = m_lifted](QPainter *p) {
        for (const auto &run : runs)
            if (run)
                paintMarkers(p, run->markers);
        for (const MarkerDraw &m : lifted)
            marker::paint(p, m);
    };
}
