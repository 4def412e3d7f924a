#pragma once

#include "MapOverlay.h"
#include "TrackLine.h"

#include <QPointer>

#include <functional>
#include <limits>
#include <memory>
#include <vector>

class OverlayNodes;
class QPainter;
class QQuickItem;

// The flown track: a line through the aircraft's positions, built in runs of overlay::kTrackRun
// legs in the overlay frame, so a new point rebuilds only the last run; and the line's marks as
// dots over it, in one node after the runs.
class TrackLayer
{
public:
    // Asks `owner` for a frame when the line changes, unless the only change is a new last
    // point where `tipCovered` says the aircraft's marker already goes.
    TrackLayer(QQuickItem *owner, std::function<bool()> tipCovered)
        : m_owner(owner), m_tipCovered(std::move(tipCovered))
    {
    }

    TrackLine *line() const { return m_line; }
    void setLine(TrackLine *t);

    // Rebuilds the runs that changed, or all of them when the frame did.
    void sync(const LayerSync &s);
    // On a GPU renderer, its nodes (`all`: they are new); on the software one, what it paints.
    void updateNodes(OverlayNodes &nodes, bool all) const;
    std::function<void(QPainter *)> painter() const;
    // Runs the last sync rebuilt (for tests and benchmarks: a new point stays local).
    int lastRebuiltRuns() const { return int(m_rebuilt.size()); }

private:
    QQuickItem *m_owner;
    std::function<bool()> m_tipCovered;
    QPointer<TrackLine> m_line;
    qsizetype m_firstChanged = 0;
    // Each run also holds the next run's first point.
    std::vector<std::shared_ptr<const std::vector<QPointF>>> m_runs;
    std::vector<qsizetype> m_rebuilt;
    std::shared_ptr<const std::vector<QPointF>> m_marks;
    bool m_marksChanged = true;  // since the last sync
    bool m_marksRebuilt = false; // by the last sync
};
