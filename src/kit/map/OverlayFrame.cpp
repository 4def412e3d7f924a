#include "OverlayFrame.h"

#include <algorithm>
#include <cmath>
#include <numbers>

OverlayFrame OverlayFrame::around(const MapCamera &cam)
{
    OverlayFrame f;
    f.ox = cam.cx;
    f.oy = cam.cy;
    f.scale = cam.scale;
    f.bearing = cam.bearing;
    f.width = cam.width;
    f.height = cam.height;
    // Half a screen of slack on each side: a pan rebuilds once per half screen travelled.
    const double m = std::max(cam.width, cam.height) / 2;
    f.region = QRectF(-cam.width / 2 - m, -cam.height / 2 - m, cam.width + 2 * m, cam.height + 2 * m);
    f.valid = cam.width > 0 && cam.height > 0;
    return f;
}

QPointF OverlayFrame::project(QPointF w) const
{
    double dx = w.x() - ox;
    dx -= std::round(dx);
    const double dy = w.y() - oy;
    const double a = -bearing * std::numbers::pi / 180.0;
    const double c = std::cos(a) * scale, s = std::sin(a) * scale;
    return {dx * c - dy * s, dx * s + dy * c};
}

QPointF OverlayFrame::offsetOn(const MapCamera &cam) const
{
    return cam.worldToScreen(QPointF(ox, oy));
}

bool OverlayFrame::covers(const MapCamera &cam) const
{
    if (!valid || cam.scale != scale || cam.bearing != bearing || cam.width != width || cam.height != height)
        return false;
    const QPointF d = offsetOn(cam);
    return region.contains(QRectF(-d.x(), -d.y(), cam.width, cam.height));
}
