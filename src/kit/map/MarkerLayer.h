#pragma once

#include "CoordinateListModel.h"
#include "MapCamera.h"
#include "MapOverlay.h"
#include "MarkerIndex.h"

#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class OverlayNodes;
class QPainter;
class QQuickItem;

// The waypoints: a numbered marker at each coordinate of a list, the dashed path through them
// in order, and the selected marker over everything, growing into its selected look. The
// markers' world positions are kept in runs: an edit re-reads the list from its first changed
// position and rebuilds only the runs it touched, and a pan rebuilds none while the overlay
// frame still covers the view. Built runs are never changed in place: the software painter may
// still hold the old ones.
class MarkerLayer
{
public:
    static constexpr qint64 kSelectionMs = 300; // stand-in for a spring of response 0.3 s, damping 0.825

    // Asks `owner` for a frame and a polish whenever the list or its selection changes.
    explicit MarkerLayer(QQuickItem *owner) : m_owner(owner) {}

    CoordinateListModel *model() const { return m_model; }
    void setModel(CoordinateListModel *m);
    // The topmost marker under a point of the view, or -1.
    int markerAt(const MapCamera &cam, QPointF point) const;
    // The markers whose centre lies in `area` of the view, in list order, at most `max`.
    QList<int> markersIn(const MapCamera &cam, QRectF area, int max) const;

    // Brings the runs up to date with the list, the selection and the frame.
    void sync(const LayerSync &s);
    // On a GPU renderer, its nodes (`all`: they are new). On the software one, what it paints:
    // the path and the markers apart, as the track lies between them.
    void updateNodes(OverlayNodes &nodes, bool all) const;
    std::function<void(QPainter *)> pathPainter() const;
    std::function<void(QPainter *)> markerPainter() const;
    // Runs the last sync rebuilt (for tests and benchmarks: an edit must stay local).
    int lastRebuiltRuns() const { return int(m_rebuilt.size()); }

private:
    static constexpr qsizetype kNothingChanged = std::numeric_limits<qsizetype>::max();
    void selectionChanged();
    void markRunDirty(std::optional<qsizetype> position);
    bool animating() const { return m_selectionClock.isValid() && m_selectionClock.elapsed() < kSelectionMs; }
    double selectionAmount(qsizetype index) const;

    QQuickItem *m_owner;
    QPointer<CoordinateListModel> m_model;
    MarkerIndex m_index;
    qsizetype m_firstChanged = 0;
    std::vector<std::shared_ptr<const OverlayChunk>> m_runs;
    std::vector<bool> m_dirty;
    std::vector<qsizetype> m_rebuilt; // in the last sync
    std::optional<qsizetype> m_shownSelection, m_previousSelection;
    QElapsedTimer m_selectionClock;
    // The selected marker, and the one just deselected while it fades (frame pixels).
    std::vector<MarkerDraw> m_lifted;
};
