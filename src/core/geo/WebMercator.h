#pragma once

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

// Web-Mercator world coordinates: the whole world is the unit square, x east, y south.
namespace zeltrin::mercator {

constexpr double kMaxLatitude = 85.05112877980659;

inline double worldX(double longitude) { return (longitude + 180.0) / 360.0; }

inline double worldY(double latitude)
{
    const double lat = std::clamp(latitude, -kMaxLatitude, kMaxLatitude) * std::numbers::pi / 180.0;
    return (1.0 - std::asinh(std::tan(lat)) / std::numbers::pi) / 2.0;
}

inline double longitude(double x) { return x * 360.0 - 180.0; }

inline double latitude(double y)
{
    return std::atan(std::sinh(std::numbers::pi * (1.0 - 2.0 * y))) * 180.0 / std::numbers::pi;
}

inline QPointF toWorld(double latitude, double longitude) { return {worldX(longitude), worldY(latitude)}; }

} // namespace zeltrin::mercator
