#include "MapCamera.h"

#include "WebMercator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace merc = zeltrin::mercator;

namespace {
double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
}

QPointF MapCamera::worldToScreen(QPointF world) const
{
    double dx = world.x() - cx;
    dx -= std::round(dx);
    const double x = dx * scale, y = (world.y() - cy) * scale;
    const double a = radians(-bearing), c = std::cos(a), s = std::sin(a);
    return {width / 2 + x * c - y * s, height / 2 + x * s + y * c};
}

QPointF MapCamera::screenToWorld(QPointF p) const
{
    const double x = p.x() - width / 2, y = p.y() - height / 2;
    const double a = radians(bearing), c = std::cos(a), s = std::sin(a);
    return {cx + (x * c - y * s) / scale, cy + (x * s + y * c) / scale};
}

QRectF MapCamera::worldBounds(double margin) const
{
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (QPointF corner : {QPointF(-margin, -margin), QPointF(width + margin, -margin),
                           QPointF(-margin, height + margin), QPointF(width + margin, height + margin)}) {
        const QPointF w = screenToWorld(corner);
        minX = std::min(minX, w.x());
        maxX = std::max(maxX, w.x());
        minY = std::min(minY, w.y());
        maxY = std::max(maxY, w.y());
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

double MapCamera::zoomLevel() const { return std::log2(scale / kTileSize); }

int MapCamera::tileZoom() const
{
    const double z = zoomLevel();
    return std::isfinite(z) ? std::clamp(int(std::lround(std::clamp(z, -1.0, 64.0))), 0, kMaxTileZoom) : 0;
}

void MapCamera::pan(double dx, double dy)
{
    const double a = radians(bearing), c = std::cos(a), s = std::sin(a);
    cx -= (dx * c - dy * s) / scale;
    cy -= (dx * s + dy * c) / scale;
}

void MapCamera::zoomAround(double factor, QPointF anchor)
{
    const QPointF before = screenToWorld(anchor);
    scale = std::clamp(scale * factor, kMinScale, kMaxScale);
    const QPointF after = screenToWorld(anchor);
    cx += before.x() - after.x();
    cy += before.y() - after.y();
}

void MapCamera::normalise()
{
    cx -= std::floor(cx);
    cy = std::clamp(cy, 0.0, 1.0);
}

void MapCamera::fitRegion(const MapRegion &r)
{
    const double lat = std::clamp(r.centerLatitude, -merc::kMaxLatitude, merc::kMaxLatitude);
    cx = merc::worldX(r.centerLongitude);
    cy = merc::worldY(lat);
    const double spanX = r.longitudeSpan / 360.0;
    const double spanY = std::abs(merc::worldY(lat - r.latitudeSpan / 2) - merc::worldY(lat + r.latitudeSpan / 2));
    double s = width / spanX;
    if (spanY > 0)
        s = std::min(s, height / spanY);
    scale = std::clamp(s, kMinScale, kMaxScale);
}

MapRegion MapCamera::region()
{
    normalise(); // wraps around the date line
    MapRegion r;
    r.centerLongitude = merc::longitude(cx);
    r.centerLatitude = merc::latitude(cy);
    r.longitudeSpan = width / scale * 360.0;
    const double half = height / scale / 2;
    r.latitudeSpan = merc::latitude(cy - half) - merc::latitude(cy + half);
    return r;
}

void MapCamera::fitBounds(double south, double west, double north, double east, QRectF area)
{
    const QPointF nw = merc::toWorld(north, west), se = merc::toWorld(south, east);
    // A single point (or a line along one axis) gets a street-level view, not infinite zoom.
    constexpr double kMinSpan = 256.0 / (256.0 * (1 << 17));
    const double dx = std::max(se.x() - nw.x(), kMinSpan), dy = std::max(se.y() - nw.y(), kMinSpan);
    bearing = 0;
    scale = std::clamp(std::min(area.width() / dx, area.height() / dy), kMinScale, kMaxScale);
    // The bounds' centre goes to the area's centre.
    const QPointF offset = (area.center() - QPointF(width / 2, height / 2)) / scale;
    cx = (nw.x() + se.x()) / 2 - offset.x();
    cy = (nw.y() + se.y()) / 2 - offset.y();
}

MapCamera::Bounds MapCamera::boundsOf(QRectF area) const
{
    double x0 = 1, x1 = 0, y0 = 1, y1 = 0;
    for (const QPointF &corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        const QPointF w = screenToWorld(corner);
        x0 = std::min(x0, w.x());
        x1 = std::max(x1, w.x());
        y0 = std::min(y0, w.y());
        y1 = std::max(y1, w.y());
    }
    // One copy of the world: a frame over its edge is cut there.
    x0 = std::clamp(x0, 0.0, 1.0);
    x1 = std::clamp(x1, 0.0, 1.0);
    y0 = std::clamp(y0, 0.0, 1.0);
    y1 = std::clamp(y1, 0.0, 1.0);
    return {merc::latitude(y1), merc::longitude(x0), merc::latitude(y0), merc::longitude(x1)};
}

zeltrin::Coordinate MapCamera::coordinateAt(QPointF screen) const
{
    const QPointF w = screenToWorld(screen);
    return {merc::latitude(std::clamp(w.y(), 0.0, 1.0)), merc::longitude(w.x() - std::floor(w.x()))};
}

TileRange MapCamera::tilesCovering(int z) const
{
    const int n = 1 << z;
    const QRectF b = worldBounds();
    TileRange r;
    r.z = z;
    // Bounded before the cast: a camera far off the world must not overflow an int.
    auto cell = [n](double v) { return int(std::floor(std::clamp(v, -2.0, 3.0) * n)); };
    r.x0 = cell(b.left());
    r.x1 = cell(b.right());
    r.y0 = std::max(0, cell(b.top()));
    r.y1 = std::min(n - 1, cell(b.bottom()));
    return r;
}
