#pragma once

#include "LocalPlane.h"
#include "SurveyFlight.h"

#ifndef BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_ALLOW_DEPRECATED_HEADERS
#endif
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <QList>

#include <utility>
#include <vector>

// Areas for the survey tests, drawn in metres east and north of a point, and the geometry the
// tests check plans with (Boost.Geometry on a plane of their own).
namespace surveyshapes {

using zeltrin::Coordinate;
namespace bg = boost::geometry;
using Point = bg::model::d2::point_xy<double>;
using Polygon = bg::model::polygon<Point>;
using MultiPolygon = bg::model::multi_polygon<Polygon>;
using Linestring = bg::model::linestring<Point>;

inline const Coordinate kOrigin{47.3977, 8.5456};

inline QList<Coordinate> corners(const std::vector<std::pair<double, double>> &metres, Coordinate origin = kOrigin)
{
    const zeltrin::survey::LocalPlane plane(origin);
    QList<Coordinate> out;
    for (const auto &[east, north] : metres)
        out.append(plane.toGeo({east, north}));
    return out;
}

// 410 m east-west by 300 m north-south.
inline QList<Coordinate> rectangle()
{
    return corners({{-205, -150}, {205, -150}, {205, 150}, {-205, 150}});
}
// 600 m square less its north-east quarter.
inline QList<Coordinate> lShape()
{
    return corners({{0, 0}, {600, 0}, {600, 300}, {300, 300}, {300, 600}, {0, 600}});
}
// 1,500 m long and 30 m wide, running 30° east of north.
inline QList<Coordinate> thinStrip()
{
    return corners({{0, 0}, {26, -15}, {776, 1284}, {750, 1299}});
}
// A 400 × 300 m field with a 20 m wide spike reaching 250 m out to the north-east.
inline QList<Coordinate> spiked()
{
    return corners({{0, 0}, {400, 0}, {400, 300}, {220, 300}, {380, 490}, {200, 300}, {0, 300}});
}

// The plan's things on a plane about `origin`.
struct Plane {
    zeltrin::survey::LocalPlane plane{kOrigin};
    Point at(Coordinate c) const
    {
        const auto p = plane.toPlane(c);
        return {p.east, p.north};
    }
    Polygon polygon(const QList<Coordinate> &corners) const
    {
        Polygon p;
        for (const Coordinate &c : corners)
            p.outer().push_back(at(c));
        bg::correct(p);
        return p;
    }
    Polygon footprint(const zeltrin::survey::SurveyPhoto &photo) const
    {
        Polygon p;
        for (const Coordinate &c : photo.footprint)
            p.outer().push_back(at(c));
        bg::correct(p);
        return p;
    }
};

// The union of many polygons, merged pairwise so each merge stays small.
inline MultiPolygon unionOf(std::vector<MultiPolygon> parts)
{
    while (parts.size() > 1) {
        std::vector<MultiPolygon> next;
        for (size_t i = 0; i + 1 < parts.size(); i += 2) {
            MultiPolygon u;
            bg::union_(parts[i], parts[i + 1], u);
            next.push_back(std::move(u));
        }
        if (parts.size() % 2)
            next.push_back(std::move(parts.back()));
        parts = std::move(next);
    }
    return parts.empty() ? MultiPolygon{} : parts.front();
}

inline Polygon grown(const Polygon &p, double by)
{
    namespace bs = bg::strategy::buffer;
    MultiPolygon out;
    bg::buffer(p, out, bs::distance_symmetric<double>(by), bs::side_straight(), bs::join_round(72), bs::end_flat(),
               bs::point_circle(72));
    return out.empty() ? Polygon{} : out.front();
}

} // namespace surveyshapes
