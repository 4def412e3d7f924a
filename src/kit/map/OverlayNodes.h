#pragma once

#include "MarkerPainter.h"

#include <QSGGeometryNode>
#include <QSGTransformNode>

#include <functional>
#include <vector>

class QQuickWindow;
class QSGTexture;

// The overlay on a GPU renderer: what the layers over the tiles build, in an overlay frame, under
// a transform node that a pan only moves. Every marker and vehicle is a few textured quads from
// one marker atlas and the path's dashes repeat one texture, so the renderer batches them. Each
// layer keeps its nodes in its slots, which are in drawing order.
class OverlayNodes : public QSGTransformNode
{
public:
    // Survey areas and footprints lowest; the flown track under the numbered markers: a number stays readable where the aircraft
    // flew over its waypoint.
    enum Slot { Areas, Paths, Track, Markers, Lifted, Vehicles, SlotCount };

    OverlayNodes(QQuickWindow *window, qreal dpr);
    ~OverlayNodes() override;
    // The nodes in `slot`, made anew (and `*made` set) on first use or for another pixel ratio.
    static OverlayNodes *in(QSGNode *slot, QQuickWindow *window, qreal dpr, bool *made);

    qreal devicePixelRatio() const { return m_atlas.devicePixelRatio(); }
    const MarkerAtlas &atlas() const { return m_atlas; }
    void setOffset(QPointF offset);
    QSGNode *slot(Slot s) const { return m_slots[s]; }
    // New nodes drawing quads from the atlas, and dashes of the path.
    QSGGeometryNode *atlasNode() const;
    QSGGeometryNode *dashNode() const;

private:
    MarkerAtlas m_atlas;
    QSGTexture *m_atlasTexture = nullptr;
    QSGTexture *m_dashTexture = nullptr;
    QSGNode *m_slots[SlotCount] = {};
};

// One geometry node per run (of markers, of path legs, of the flown track), so an edit
// re-uploads only the runs it touched.
class RunNodes : public QSGNode
{
public:
    // Keeps `count` runs: new ones come from `make`, those past the end are deleted.
    void resize(qsizetype count, const std::function<QSGGeometryNode *()> &make)
    {
        while (qsizetype(m_runs.size()) > count) {
            delete m_runs.back(); // leaves its parent
            m_runs.pop_back();
        }
        while (qsizetype(m_runs.size()) < count) {
            m_runs.push_back(make());
            appendChildNode(m_runs.back());
        }
    }
    qsizetype count() const { return qsizetype(m_runs.size()); }
    QSGGeometryNode *at(qsizetype r) const { return m_runs[size_t(r)]; }

    // The runs in `slot` (made on first use).
    static RunNodes *in(QSGNode *slot)
    {
        auto *runs = static_cast<RunNodes *>(slot->firstChild());
        if (!runs) {
            runs = new RunNodes;
            slot->appendChildNode(runs);
        }
        return runs;
    }

private:
    std::vector<QSGGeometryNode *> m_runs;
};
