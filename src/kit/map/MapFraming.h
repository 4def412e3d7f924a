#pragma once

#include "MapCamera.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Where the map puts what it is asked to show: the part of the view that nothing covers (the
// screen's cards and bars lie over the rest). A fit goes there and is made again when that part
// changes (a card grows or folds away), until the pilot moves the map. While following, the
// aircraft is brought back to the middle of that part whenever it leaves it; the pilot's own
// move stops following until it is asked for again.
class MapFraming
{
public:
    // `area` in view pixels; an empty one is the whole view.
    bool setViewArea(QRectF area);
    QRectF viewArea() const { return m_area; }
    // The view area as it lies in a view of `size`: cut to the view, or the whole view.
    QRectF usableArea(QSizeF size) const;

    // The bounds just fitted into the view area, to fit again when it changes (none: the map
    // was placed otherwise).
    void fitted(const std::optional<MapCamera::Bounds> &b) { m_fitted = b; }
    void dropFit() { m_fitted.reset(); }
    const std::optional<MapCamera::Bounds> &toRefit() const { return m_fitted; }

    bool setFollows(bool on);
    bool follows() const { return m_follows; }
    bool following() const { return m_follows && !m_pilotPaused; }

    // The pilot panned, zoomed or turned the map: the fit is theirs now, and following waits.
    void pilotMoved();

    // How far to pan (as a drag would) to bring `aircraft` (view pixels) back to the middle of
    // the view area; none while it lies inside, or while not following.
    std::optional<QPointF> followPan(QPointF aircraft, QSizeF size) const;

private:
    QRectF m_area;
    std::optional<MapCamera::Bounds> m_fitted;
    bool m_follows = false;
    bool m_pilotPaused = false;
};
