#pragma once

#include "Coordinate.h"
#include "MapRegion.h"

#include <QPointF>
#include <QRectF>

#include <algorithm>

// The tiles of one zoom level that cover the screen; x may run past the world's edge (wrap it).
struct TileRange {
    int z = 0;
    int x0 = 0, x1 = -1, y0 = 0, y1 = -1;
    int count() const { return std::max(0, x1 - x0 + 1) * std::max(0, y1 - y0 + 1); }
};

// Where the map looks: the centre in web-Mercator world units (the world is the unit square),
// pixels per world unit, the bearing in degrees and the view's size. Every conversion between
// the world and the screen goes through here.
struct MapCamera {
    static constexpr double kTileSize = 256.0;
    static constexpr int kMaxTileZoom = 19;
    static constexpr double kMinScale = 256.0; // the whole world in one tile
    static constexpr double kMaxScale = 256.0 * (1 << 21);

    double cx = 0.5, cy = 0.5;
    double scale = kMinScale;
    double bearing = 0;
    double width = 0, height = 0;

    // Screen position of a world point; horizontally the nearest copy of the world, so points
    // near the date line stay put.
    QPointF worldToScreen(QPointF world) const;
    QPointF screenToWorld(QPointF screen) const;
    // World bounds of the screen grown by `margin` px on each side, whatever the bearing.
    QRectF worldBounds(double margin = 0) const;
    double zoomLevel() const;
    int tileZoom() const;
    // The tiles of zoom `z` that cover the view.
    TileRange tilesCovering(int z) const;
    // Moves the centre by a screen-space drag of (dx, dy).
    void pan(double dx, double dy);
    // Keeps the world point under `anchor` in place while the scale changes.
    void zoomAround(double factor, QPointF anchor);
    // Wraps the centre around the date line and keeps it on the map vertically.
    void normalise();

    // Regions and coordinates (degrees) against the view; `width` and `height` must be set.
    // Shows the whole region, as a map view does; the bearing stays.
    void fitRegion(const MapRegion &r);
    // What the view shows (normalises first).
    MapRegion region();
    // Shows the bounds as large as fits in `area` (view pixels), north up.
    void fitBounds(double south, double west, double north, double east, QRectF area);
    // The bounds under a rectangle of the view, north up whatever the bearing, cut at the edges
    // of the world.
    struct Bounds {
        double south = 0, west = 0, north = 0, east = 0;
    };
    Bounds boundsOf(QRectF area) const;
    // The coordinate under a point of the view, on the world's first copy.
    zeltrin::Coordinate coordinateAt(QPointF screen) const;
};
