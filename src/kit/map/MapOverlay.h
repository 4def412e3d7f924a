#pragma once

#include "MapCamera.h"
#include "OverlayFrame.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

class MarkerIndex;
class QQuickWindow;

// What a layer builds a frame from, while the GUI thread waits for the sync.
struct LayerSync {
    QQuickWindow *window = nullptr;
    qreal dpr = 1;
    bool software = false; // the software renderer: layers paint rather than build geometry
    bool placed = false;   // the camera is placed (the item has a size and a region)
    MapCamera cam;
    OverlayFrame frame;
    bool frameChanged = false; // everything built in the old frame is stale
    QRectF bounds;             // the item's
    QPointF offset() const { return frame.offsetOn(cam); }
};

struct MarkerDraw {
    QPointF pos;
    int number;      // 1-based, as shown
    double selected; // 0 plain, 1 selected; between while the selection animates
    bool operator==(const MarkerDraw &) const = default;
};

// The home point and the aircraft, in frame pixels; the aircraft's rotation is its heading on
// screen (degrees clockwise from up).
struct VehicleDraw {
    std::optional<QPointF> home;
    std::optional<QPointF> aircraft;
    double aircraftRotation = 0;
    bool operator==(const VehicleDraw &) const = default;
};

// The path is dashed 5 px on, 5 px off, the pattern running on from a run's first point.
constexpr double kDashOn = 5, kDashPeriod = 10;
namespace overlay {
constexpr double kPathWidth = 2;
}

// A stretch of the dashed path, drawn as one piece: a leg, or its part inside the built region.
// `phase` is where its start lies in the dash pattern (0 to kDashPeriod).
struct PathPiece {
    QLineF line;
    double phase = 0;
    bool operator==(const PathPiece &) const = default;
};

// One run of markers and the legs leaving them, in frame pixels.
struct OverlayChunk {
    std::vector<PathPiece> candidatePath; // this run's legs, clipped to the region
    std::vector<PathPiece> path;          // those not lying on a later run's piece
    std::vector<MarkerDraw> candidates; // this run's markers, thinned within the run
    std::vector<MarkerDraw> markers;    // those still showing once later runs are on top
    bool dirty = true;
};

namespace overlay {

constexpr double kMarkerCull = 24; // px beyond the region still drawn (marker radius + shadow)
constexpr double kPathMargin = 8;  // px beyond the region the path is still built

// Builds run `c`: the pieces of its legs (their dash pattern in step with the run's first point)
// and its markers, one per cell (a numbered marker across) where they pile up. `skip` markers are
// left out: the selected ones are drawn on top of everything by themselves.
void buildChunk(const MarkerIndex &index, qsizetype c, const OverlayFrame &frame,
                std::optional<qsizetype> skipA, std::optional<qsizetype> skipB, OverlayChunk *out);

// Thins the markers across runs as within one: one per cell of the whole list, the
// later marker kept. Path pieces likewise, on 8 px cells (a long one shows unless every cell
// along it is taken), so a dense survey seen whole draws a hatch rather than every row. Each run's `markers` and `path` become the part of its
// candidates still showing; a run whose shown part changes is replaced by a copy (built runs are
// shared, never changed in place). Returns the runs replaced. One pass over the candidates, so an
// edit stays cheap.
std::vector<qsizetype> thinAcrossRuns(const OverlayFrame &frame, std::vector<std::shared_ptr<const OverlayChunk>> *chunks);

// The dashes of `piece`, as lines (for a painter, which has no dash texture).
void appendDashes(const PathPiece &piece, std::vector<QLineF> *out);

// The flown track is drawn in runs of this many legs, so a new point rebuilds only the last run.
constexpr qsizetype kTrackRun = 256;

// Meridians and parallels at a round spacing (4 to 10 across the screen) over the frame's region.
std::vector<QLineF> graticule(const OverlayFrame &frame);

// The part of segment a→b inside `clip`, as distances from a (Liang–Barsky); false if none.
bool clipSegment(QPointF a, QPointF b, const QRectF &clip, double len, double *from, double *to);

// Closed-interval overlap, so boxes of zero width or height still count.
inline bool overlaps(const QRectF &a, const QRectF &b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

} // namespace overlay
