#include "MapCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

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

TileRange TileRange::covering(const MapCamera &cam, int z)
{
    const int n = 1 << z;
    const QRectF b = cam.worldBounds();
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
