#include "SurveyGeometry.h"

#include <algorithm>

namespace zeltrin::survey::detail {

namespace {

Polygon inFrame(const Polygon &area, const Frame &f)
{
    Polygon r;
    r.outer().reserve(area.outer().size());
    for (const Point &p : area.outer())
        r.outer().push_back(f.toFrame(p));
    bg::correct(r); // a rotation keeps the winding; this only guards the closing point
    return r;
}

struct Interval {
    double x0, x1;
};

// Photos centred on [x0, x1], one trigger distance apart: the fewest whose footprints, `length`
// long, reach both ends.
Segment segmentOver(int line, double y, Interval span, double length, double trigger)
{
    const double len = span.x1 - span.x0;
    int photos = 1;
    if (len > length)
        photos = int(std::ceil((len - length) / trigger - 1e-9)) + 1;
    const double run = (photos - 1) * trigger;
    const double start = span.x0 + (len - run) / 2.0;
    return {line, y, start, start + run, photos};
}

} // namespace

Pass layPass(const Polygon &area, double heading, double spacing, double footprintLength, double trigger)
{
    Pass pass;
    pass.heading = heading;
    pass.spacing = spacing;
    const Frame frame(heading);
    const Polygon r = inFrame(area, frame);
    const Box env = bg::return_envelope<Box>(r);
    const double xMin = env.min_corner().x() - 1.0, xMax = env.max_corner().x() + 1.0;
    const double yMin = env.min_corner().y(), height = env.max_corner().y() - yMin;

    // Enough lines that every point of the area is within half a spacing of one: rounded up, and
    // centred, so the outer lines are at most half a spacing inside the extent.
    const int lines = std::max(1, int(std::ceil(height / spacing - 1e-9)));
    const double first = yMin + (height - (lines - 1) * spacing) / 2.0;
    const double half = spacing / 2.0 * (1.0 + 1e-9) + 1e-6;
    pass.lines = lines;
    pass.firstY = first;

    MultiPolygon cut;
    std::vector<Interval> spans;
    for (int k = 0; k < lines; ++k) {
        const double y = first + k * spacing;
        // What of the area lies within half a spacing of the line, seen from the line: the
        // stretches the line's photos must cover. Where the area is further away the line is
        // cut, so a notch wider than a spacing splits it.
        cut.clear();
        bg::intersection(r, Box({xMin, y - half}, {xMax, y + half}), cut);
        spans.clear();
        for (const Polygon &piece : cut) {
            const Box b = bg::return_envelope<Box>(piece);
            spans.push_back({b.min_corner().x(), b.max_corner().x()});
        }
        std::sort(spans.begin(), spans.end(), [](const Interval &a, const Interval &b) { return a.x0 < b.x0; });
        bool any = false;
        for (size_t i = 0; i < spans.size();) {
            Interval merged = spans[i++];
            while (i < spans.size() && spans[i].x0 <= merged.x1 + 1e-6)
                merged.x1 = std::max(merged.x1, spans[i++].x1);
            pass.segments.push_back(segmentOver(k, y, merged, footprintLength, trigger));
            any = true;
        }
        pass.lineCount += any ? 1 : 0;
    }
    return pass;
}

double estimatePhotos(const Polygon &area, double spacing, double trigger)
{
    // Every photo adds about one spacing by one trigger distance of new ground, and every line
    // across the area takes at least one.
    const Box env = bg::return_envelope<Box>(area);
    const double across = std::hypot(env.max_corner().x() - env.min_corner().x(),
                                     env.max_corner().y() - env.min_corner().y());
    return std::max(std::abs(bg::area(area)) / (spacing * trigger), across / spacing);
}

} // namespace zeltrin::survey::detail
