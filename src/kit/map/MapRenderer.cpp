#include "TileMapItem.h"

#include "MarkerPainter.h"
#include "OverlayNodes.h"
#include "TileNodes.h"

#include <QPainter>
#include <QQuickWindow>
#include <QSGRectangleNode>
#include <QSGRendererInterface>

#include <algorithm>
#include <cmath>

// The item's scene graph: what a frame rebuilds, and what it only moves.

namespace {

const QColor kGraticuleBackground(0x14, 0x18, 0x1F);

bool isSoftware(QQuickWindow *w)
{
    return w->rendererInterface()->graphicsApi() == QSGRendererInterface::Software;
}

// The item's node tree: background, graticule, tiles (rotated), then the overlay (path,
// markers, and the selected markers over them).
// A transform node (identity), not a plain one: the software renderer re-places a changed node's
// subtree from its direct parent's recorded state, and records none for plain nodes. The tiles'
// transform changes every frame; under a plain root it was re-placed from the window's origin.
class MapRootNode : public QSGTransformNode
{
public:
    QSGRectangleNode *background = nullptr;
    QSGNode *graticuleSlot = nullptr;
    QSGTransformNode *tileTransform = nullptr;
    TileLayerNode *layers[2] = {nullptr, nullptr};
    QSGNode *overlaySlot = nullptr;
};

} // namespace

void TileMapItem::markChunkDirty(std::optional<qsizetype> position)
{
    if (!position || *position < 0)
        return;
    const auto c = size_t(MarkerIndex::chunkOf(*position));
    if (c < m_overlay->dirty.size())
        m_overlay->dirty[c] = true;
}

// Brings the overlay up to date with the list, the selection and the camera. Runs while the
// GUI thread is blocked, before the nodes are updated.
void TileMapItem::syncOverlay()
{
    OverlayState &o = *m_overlay;
    o.rebuilt.clear();
    const qsizetype count = m_markers ? m_markers->count() : 0;
    if (m_firstChanged != kNothingChanged || m_index.size() != count) {
        const qsizetype first = std::min({m_firstChanged, m_index.size(), count});
        m_index.update(m_markers ? m_markers->coordinates() : QList<zeltrin::Coordinate>(), first);
        const auto n = size_t(m_index.chunkCount());
        o.chunks.resize(n);
        o.dirty.resize(n, true);
        // The run before also changes: its last leg ends in the first changed run.
        for (auto c = size_t(std::max<qsizetype>(0, MarkerIndex::chunkOf(first) - 1)); c < n; ++c)
            o.dirty[c] = true;
        m_firstChanged = kNothingChanged;
    }
    // A deselected marker rejoins its run once its animation is over.
    const bool animating = m_selectionClock.isValid() && m_selectionClock.elapsed() < kSelectionMs;
    if (!animating && m_previousSelection) {
        markChunkDirty(m_previousSelection);
        m_previousSelection.reset();
    }
    o.frameChanged = !o.frame.covers(m_cam);
    if (o.frameChanged) {
        o.frame = OverlayFrame::around(m_cam);
        std::fill(o.dirty.begin(), o.dirty.end(), true);
        o.graticule = std::make_shared<const std::vector<QLineF>>(overlay::graticule(o.frame));
    }
    for (size_t c = 0; c < o.dirty.size(); ++c) {
        if (!o.dirty[c])
            continue;
        auto chunk = std::make_shared<OverlayChunk>();
        overlay::buildChunk(m_index, qsizetype(c), o.frame, m_shownSelection, m_previousSelection, chunk.get());
        o.chunks[c] = std::move(chunk);
        o.dirty[c] = false;
        o.rebuilt.push_back(qsizetype(c));
    }
    // A rebuilt run can cover, or stop covering, markers of the runs beneath it.
    if (!o.rebuilt.empty()) {
        for (const qsizetype c : overlay::thinAcrossRuns(o.frame, &o.chunks))
            if (std::find(o.rebuilt.begin(), o.rebuilt.end(), c) == o.rebuilt.end())
                o.rebuilt.push_back(c);
    }
}

QSGNode *TileMapItem::updatePaintNode(QSGNode *old, UpdatePaintNodeData *)
{
    auto *root = static_cast<MapRootNode *>(old);
    QQuickWindow *win = window();
    if (!root) {
        root = new MapRootNode;
        root->background = win->createRectangleNode();
        root->background->setColor(kGraticuleBackground);
        root->appendChildNode(root->background);
        root->graticuleSlot = new QSGNode;
        root->appendChildNode(root->graticuleSlot);
        root->tileTransform = new QSGTransformNode;
        root->appendChildNode(root->tileTransform);
        for (auto &layer : root->layers) {
            layer = new TileLayerNode;
            root->tileTransform->appendChildNode(layer);
        }
        root->overlaySlot = new QSGNode;
        root->appendChildNode(root->overlaySlot);
    }
    const QRectF bounds = boundingRect();
    root->background->setRect(bounds);
    if (!m_cameraValid)
        return root;

    // Tiles, positioned relative to the centre and rotated by the transform node.
    QMatrix4x4 m;
    m.translate(float(width() / 2), float(height() / 2));
    m.rotate(float(-m_cam.bearing), 0, 0, 1);
    root->tileTransform->setMatrix(m);
    for (int layer = 0; layer < 2; ++layer)
        root->layers[layer]->update(win, m_loader, m_cam, layer);

    syncOverlay();
    syncTrack();
    const OverlayState &o = *m_overlay;
    const VehicleDraw vehicles = vehicleDraw();
    // What this frame draws; the GUI thread waits for this sync, so the member is safe to set.
    m_askedVehicles = vehicles;
    const QPointF offset = o.frame.offsetOn(m_cam);
    // The selected marker, and the one just deselected while it fades, go over everything.
    std::vector<MarkerDraw> tops; // frame pixels
    for (const auto &sel : {m_previousSelection, m_shownSelection}) {
        if (!sel || *sel < 0 || *sel >= m_index.size())
            continue;
        const QPointF pos = m_cam.worldToScreen(m_index.world(*sel));
        if (bounds.adjusted(-overlay::kMarkerCull, -overlay::kMarkerCull, overlay::kMarkerCull, overlay::kMarkerCull).contains(pos))
            tops.push_back({pos - offset, int(*sel + 1), selectionAmount(*sel)});
    }
    if (m_selectionClock.isValid() && m_selectionClock.elapsed() < kSelectionMs)
        // Keep animating; queued because this may run on the render thread.
        QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);

    if (isSoftware(win)) {
        // The software renderer draws no geometry nodes: paint the same data, translated.
        auto layer = [&](QSGNode *slot) {
            auto *node = static_cast<PainterLayerNode *>(slot->firstChild());
            if (!node) {
                node = new PainterLayerNode;
                node->window = win;
                slot->appendChildNode(node);
            }
            node->bounds = bounds;
            node->markDirty(QSGNode::DirtyMaterial);
            return node;
        };
        layer(root->graticuleSlot)->paint = [grid = o.graticule, offset](QPainter *p) {
            p->translate(offset);
            if (grid)
                overlay::paintGraticule(p, *grid);
        };
        layer(root->overlaySlot)->paint = [chunks = o.chunks, track = o.track, offset, tops, vehicles](QPainter *p) {
            p->translate(offset);
            for (const auto &c : chunks)
                if (c)
                    overlay::paintPath(p, c->path);
            for (const auto &run : track)
                if (run)
                    overlay::paintTrack(p, *run);
            for (const auto &c : chunks)
                if (c)
                    overlay::paintMarkers(p, c->markers);
            for (const MarkerDraw &t : tops)
                marker::paint(p, t);
            overlay::paintVehicles(p, vehicles);
        };
        return root;
    }

    const qreal dpr = win->effectiveDevicePixelRatio();
    auto *nodes = static_cast<OverlayNodes *>(root->overlaySlot->firstChild());
    bool all = false;
    if (nodes && nodes->devicePixelRatio() != dpr) {
        delete nodes; // leaves its parent
        nodes = nullptr;
    }
    if (!nodes) {
        nodes = new OverlayNodes(win, dpr);
        root->overlaySlot->appendChildNode(nodes);
        all = true;
    }
    nodes->setOffset(offset);
    auto *grid = static_cast<GraticuleNode *>(root->graticuleSlot->firstChild());
    const bool newGrid = !grid;
    if (newGrid) {
        grid = new GraticuleNode;
        root->graticuleSlot->appendChildNode(grid);
    }
    grid->setOffset(offset, dpr);
    if (newGrid || all || o.frameChanged)
        grid->setLines(o.graticule ? *o.graticule : std::vector<QLineF>());
    nodes->setChunkCount(qsizetype(o.chunks.size()));
    static const OverlayChunk kEmpty;
    auto push = [&](size_t c) { nodes->setChunk(qsizetype(c), o.chunks[c] ? *o.chunks[c] : kEmpty); };
    if (all) {
        for (size_t c = 0; c < o.chunks.size(); ++c)
            push(c);
    } else {
        for (qsizetype c : o.rebuilt)
            push(size_t(c));
    }

    // Selected markers: quads from the same atlas; an animation frame moves and fades them.
    nodes->setSelection(tops);
    nodes->setTrackRunCount(qsizetype(o.track.size()));
    static const std::vector<QPointF> kNoPoints;
    auto pushRun = [&](size_t r) { nodes->setTrackRun(qsizetype(r), o.track[r] ? *o.track[r] : kNoPoints); };
    if (all) {
        for (size_t r = 0; r < o.track.size(); ++r)
            pushRun(r);
    } else {
        for (qsizetype r : o.rebuiltTrack)
            pushRun(size_t(r));
    }
    nodes->setVehicles(vehicles);
    return root;
}
