#pragma once

#include "MapCamera.h"

#include <QPointF>
#include <QRectF>

// The frame the path, the markers and the graticule are built in: screen pixels of the camera
// as it was at build time, relative to the world point then at the centre. Panning only
// translates this frame on screen, so the built geometry is kept until the zoom, the bearing or
// the size changes, or the screen leaves the region built around it.
struct OverlayFrame {
    double ox = 0, oy = 0; // world origin
    double scale = 0;
    double bearing = 0;
    double width = 0, height = 0;
    QRectF region; // what was built, in frame pixels
    bool valid = false;

    static OverlayFrame around(const MapCamera &cam);
    QPointF project(QPointF world) const;
    // Where the frame's origin lies on screen under `cam` (the translation to apply).
    QPointF offsetOn(const MapCamera &cam) const;
    // True while this frame's geometry, translated, still covers the screen of `cam`.
    bool covers(const MapCamera &cam) const;
};
