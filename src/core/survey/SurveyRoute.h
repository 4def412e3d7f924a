#pragma once

#include "SurveyGeometry.h"

#include <optional>
#include <vector>

// The order the photo runs are flown in and the ways between them.
namespace zeltrin::survey::detail {

struct RunRef {
    int pass = 0;
    int segment = 0;
    bool forward = true; // flown from x0 to x1
};

// Every segment of every pass once, the passes in turn, each next run the one with the nearest
// end to where the last ended (or to `start`, or from the first line's first run), entered at
// that end. On a line cut by notches this flies one side of the notch before crossing it.
std::vector<RunRef> orderRuns(const std::vector<Pass> &passes, std::optional<Point> start);

// Ways inside `area` grown by `margin`: straight when that stays inside, else round the area's
// concave corners, shortest first (Dijkstra over the corners that see each other).
class TransitRouter
{
public:
    // More concave corners than this and ways are only tried straight.
    static constexpr size_t kMaxCorners = 200;

    TransitRouter(const Polygon &area, double margin);

    // The corners to fly through from a to b: none for a straight way. None at all when no way
    // inside was found (the caller flies straight and counts it).
    std::optional<std::vector<Point>> route(const Point &a, const Point &b);

private:
    bool clear(const Point &a, const Point &b) const;

    MultiPolygon m_grown;
    std::vector<Point> m_corners;
    std::vector<std::vector<double>> m_between; // corner to corner: length when clear, else -1
    bool m_betweenKnown = false;
};

} // namespace zeltrin::survey::detail
