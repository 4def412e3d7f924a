#pragma once

// Boost 1.74's geometry reaches a header its maths library has since renamed; nothing to fix here.
#ifndef BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_ALLOW_DEPRECATED_HEADERS
#endif
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/box.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <cmath>
#include <numbers>
#include <vector>

// The planner's inner geometry, on the local plane in metres, with Boost.Geometry. Only the
// survey's own sources include this.
namespace zeltrin::survey::detail {

namespace bg = boost::geometry;
using Point = bg::model::d2::point_xy<double>;
using Polygon = bg::model::polygon<Point>; // clockwise, closed
using MultiPolygon = bg::model::multi_polygon<Polygon>;
using Box = bg::model::box<Point>;
using Linestring = bg::model::linestring<Point>;

// A pass's frame: x along its lines (their heading), y across them, both in metres.
struct Frame {
    double ux = 0.0, uy = 1.0; // the lines' direction, east and north parts

    explicit Frame(double headingDeg)
    {
        const double a = headingDeg * std::numbers::pi / 180.0;
        ux = std::sin(a);
        uy = std::cos(a);
    }
    // x = p·u, y = p·v with v = u turned 90° clockwise.
    Point toFrame(const Point &p) const { return {p.x() * ux + p.y() * uy, p.x() * uy - p.y() * ux}; }
    Point toPlane(double x, double y) const { return {x * ux + y * uy, x * uy - y * ux}; }
};

// One photo run of a pass, in its frame: along y from x0 to x1, `photos` of them centred
// one trigger distance apart from x0 (x0 == x1 for a single photo).
struct Segment {
    int line = 0;
    double y = 0.0;
    double x0 = 0.0, x1 = 0.0;
    int photos = 0;
};

struct Pass {
    double heading = 0.0;
    std::vector<Segment> segments; // by line, then along x
    int lineCount = 0;             // lines with at least one segment
    int lines = 0;                 // lines laid, line k at y = firstY + k × spacing
    double firstY = 0.0;
    double spacing = 0.0;
};

// Lays one pass over `area` (valid, on the plane). Empty segments for an area the lines miss.
Pass layPass(const Polygon &area, double heading, double spacing, double footprintLength, double trigger);

// About how many photos a pass over `area` takes, from its size alone: for refusing huge
// surveys before laying them.
double estimatePhotos(const Polygon &area, double spacing, double trigger);

} // namespace zeltrin::survey::detail
