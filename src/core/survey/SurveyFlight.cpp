#include "SurveyFlight.h"

#include "LocalPlane.h"
#include "SurveyGeometry.h"
#include "SurveyRoute.h"

#include <exception>

namespace zeltrin::survey {

using namespace detail;

namespace {

SurveyFlight failure(QString why)
{
    SurveyFlight f;
    f.error = std::move(why);
    return f;
}

// The area on the plane, valid for Boost.Geometry; else why not.
QString areaOnPlane(const QList<Coordinate> &corners, const LocalPlane &plane, Polygon &area)
{
    // A ring given closed, its first corner again at the end, is the same area.
    const qsizetype n = corners.size() > 3 && corners.front() == corners.back() ? corners.size() - 1 : corners.size();
    std::vector<PlanePoint> points(static_cast<size_t>(n));
    plane.toPlane(std::span<const Coordinate>(corners.constData(), size_t(n)), points);
    for (const PlanePoint &p : points) {
        if (!std::isfinite(p.east) || !std::isfinite(p.north))
            return QStringLiteral("A corner of the area could not be placed on the survey's plane.");
        area.outer().push_back({p.east, p.north});
    }
    bg::unique(area); // a corner set twice in a row
    bg::correct(area);
    if (area.outer().size() < 4)
        return QStringLiteral("The area needs at least 3 different corners.");
    bg::validity_failure_type failure = bg::no_failure;
    if (!bg::is_valid(area, failure)) {
        if (failure == bg::failure_self_intersections)
            return QStringLiteral("The area's outline crosses itself.");
        if (failure == bg::failure_spikes)
            return QStringLiteral("The area's outline doubles back on itself.");
        return QStringLiteral("The area's outline does not enclose an area.");
    }
    if (std::abs(bg::area(area)) < 1.0)
        return QStringLiteral("The area is smaller than a square metre.");
    const Box env = bg::return_envelope<Box>(area);
    if (env.max_corner().x() - env.min_corner().x() > kMaxExtent
        || env.max_corner().y() - env.min_corner().y() > kMaxExtent)
        return QStringLiteral("The area is more than %1 km across.").arg(kMaxExtent / 1000.0);
    return {};
}

double headingOf(const Point &a, const Point &b)
{
    return std::atan2(b.x() - a.x(), b.y() - a.y()) * 180.0 / std::numbers::pi;
}

// Corners of more than kTurnAngle along a path; legs too short to have a direction are skipped.
int turnsAlong(const std::vector<Point> &path)
{
    int turns = 0;
    std::optional<double> course;
    for (size_t i = 1; i < path.size(); ++i) {
        if (bg::distance(path[i - 1], path[i]) < 0.01)
            continue;
        const double next = headingOf(path[i - 1], path[i]);
        if (course && std::abs(std::remainder(next - *course, 360.0)) > kTurnAngle)
            ++turns;
        course = next;
    }
    return turns;
}

// The flight on the plane, then converted to coordinates in one go.
struct Builder {
    const ImageGeometry &image;
    double turnaround;
    std::vector<Point> waypoints;
    std::vector<SurveyWaypoint::Role> roles;
    QList<PhotoRun> runs;
    std::vector<Point> photoPoints; // per photo: the centre, then the footprint's four corners
    std::vector<SurveyPhoto> photos;
    int transitsLeaving = 0;

    void add(const Point &p, SurveyWaypoint::Role role)
    {
        waypoints.push_back(p);
        roles.push_back(role);
    }

    void fly(const Pass &pass, const Segment &s, bool forward, int passIndex, TransitRouter &router,
             const RunRef *previous, const std::vector<Pass> &passes)
    {
        const Frame frame(pass.heading);
        const double dir = forward ? 1.0 : -1.0;
        const double entry = forward ? s.x0 : s.x1, exit = forward ? s.x1 : s.x0;
        const Point approach = frame.toPlane(entry - dir * turnaround, s.y);
        // Straight on along the same line past a short gap: no turnarounds between the two runs.
        bool straightOn = false;
        if (previous && previous->pass == passIndex) {
            const Segment &p = passes[size_t(passIndex)].segments[size_t(previous->segment)];
            const double gap = forward ? s.x0 - p.x1 : p.x0 - s.x1;
            straightOn = turnaround > 0 && p.line == s.line && previous->forward == forward && gap >= 0
                && gap <= 2 * turnaround;
        }
        if (straightOn) {
            waypoints.pop_back(); // the last run's overshoot
            roles.pop_back();
        } else if (!waypoints.empty()) {
            const Point from = waypoints.back(), to = turnaround > 0 ? approach : frame.toPlane(entry, s.y);
            const auto corners = router.route(from, to);
            if (!corners)
                ++transitsLeaving;
            for (const Point &c : corners.value_or(std::vector<Point>{}))
                add(c, SurveyWaypoint::Role::Transit);
        }
        if (turnaround > 0 && !straightOn)
            add(approach, SurveyWaypoint::Role::Approach);
        const qsizetype first = qsizetype(waypoints.size());
        add(frame.toPlane(entry, s.y), SurveyWaypoint::Role::LineStart);
        add(frame.toPlane(exit, s.y), SurveyWaypoint::Role::LineEnd);
        runs.append({first, first + 1});
        if (turnaround > 0)
            add(frame.toPlane(exit + dir * turnaround, s.y), SurveyWaypoint::Role::Overshoot);

        const double halfLength = image.footprintLength / 2.0 * dir, halfWidth = image.footprintWidth / 2.0 * dir;
        const double heading = std::fmod(pass.heading + (forward ? 0.0 : 180.0) + 720.0, 360.0);
        for (int i = 0; i < s.photos; ++i) {
            const double x = entry + dir * i * image.triggerDistance;
            // The frame's y points to the right of its heading.
            photoPoints.push_back(frame.toPlane(x, s.y));
            photoPoints.push_back(frame.toPlane(x + halfLength, s.y - halfWidth));
            photoPoints.push_back(frame.toPlane(x + halfLength, s.y + halfWidth));
            photoPoints.push_back(frame.toPlane(x - halfLength, s.y + halfWidth));
            photoPoints.push_back(frame.toPlane(x - halfLength, s.y - halfWidth));
            SurveyPhoto photo;
            photo.heading = heading;
            photo.gsdAcross = image.gsdAcross;
            photo.gsdAlong = image.gsdAlong;
            photo.run = int(runs.size()) - 1;
            photo.pass = passIndex;
            photos.push_back(photo);
        }
    }
};

std::vector<Coordinate> toGeo(const LocalPlane &plane, const std::vector<Point> &points)
{
    std::vector<PlanePoint> in(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        in[i] = {points[i].x(), points[i].y()};
    std::vector<Coordinate> out(points.size());
    plane.toGeo(in, out);
    return out;
}

SurveyFlight plan(const SurveySettings &spec, const SurveyFlightSettings &settings)
{
    if (QString problem = specProblem(spec); !problem.isEmpty())
        return failure(problem);
    if (!std::isfinite(settings.speed) || settings.speed < 1.0 || settings.speed > 15.0)
        return failure(QStringLiteral("The speed must be between 1 and 15 m/s."));
    const ImageGeometry image = *imageGeometry(spec);

    const LocalPlane plane(
        centreOf(std::span<const Coordinate>(spec.polygon.constData(), size_t(spec.polygon.size()))));
    if (!plane.isValid())
        return failure(plane.error());
    Polygon area;
    if (QString problem = areaOnPlane(spec.polygon, plane, area); !problem.isEmpty())
        return failure(problem);
    const int passCount = spec.crosshatch ? 2 : 1;
    if (estimatePhotos(area, image.lineSpacing, image.triggerDistance) * passCount > 1.5 * kMaxPhotos)
        return failure(QStringLiteral("The survey would take more than %L1 photos: fly higher or with less overlap.")
                           .arg(kMaxPhotos));

    std::vector<Pass> passes;
    for (int p = 0; p < passCount; ++p)
        passes.push_back(layPass(area, std::fmod(spec.gridAngle + 90.0 * p, 360.0), image.lineSpacing,
                                 image.footprintLength, image.triggerDistance));
    qint64 photoCount = 0;
    for (const Pass &p : passes)
        for (const Segment &s : p.segments)
            photoCount += s.photos;
    if (photoCount > kMaxPhotos)
        return failure(QStringLiteral("The survey would take more than %L1 photos: fly higher or with less overlap.")
                           .arg(kMaxPhotos));
    if (photoCount == 0)
        return failure(QStringLiteral("No line crosses the area."));

    std::optional<Point> start;
    if (settings.takeOff) {
        const PlanePoint t = plane.toPlane(*settings.takeOff);
        if (std::isfinite(t.east) && std::isfinite(t.north))
            start = Point{t.east, t.north};
    }
    const std::vector<RunRef> order = orderRuns(passes, start);

    // Ways between runs stay within the area grown by what the runs themselves may reach
    // outside it: half a spacing at the edges, then the turnaround.
    TransitRouter router(area, image.lineSpacing / 2.0 + spec.turnaround + 1.0);
    Builder b{image, spec.turnaround, {}, {}, {}, {}, {}, 0};
    b.photos.reserve(size_t(photoCount));
    b.photoPoints.reserve(size_t(photoCount) * 5);
    for (size_t i = 0; i < order.size(); ++i) {
        const RunRef &r = order[i];
        const Pass &pass = passes[size_t(r.pass)];
        b.fly(pass, pass.segments[size_t(r.segment)], r.forward, r.pass, router, i > 0 ? &order[i - 1] : nullptr,
              passes);
    }

    SurveyFlight f;
    const std::vector<Coordinate> waypoints = toGeo(plane, b.waypoints);
    f.waypoints.reserve(qsizetype(waypoints.size()));
    for (size_t i = 0; i < waypoints.size(); ++i)
        f.waypoints.append({waypoints[i], b.roles[i]});
    f.runs = std::move(b.runs);
    const std::vector<Coordinate> photoPoints = toGeo(plane, b.photoPoints);
    f.photos.reserve(qsizetype(b.photos.size()));
    for (size_t i = 0; i < b.photos.size(); ++i) {
        SurveyPhoto &photo = b.photos[i];
        photo.centre = photoPoints[i * 5];
        for (size_t c = 0; c < 4; ++c)
            photo.footprint[c] = photoPoints[i * 5 + 1 + c];
        f.photos.append(photo);
    }
    for (const Coordinate &c : waypoints)
        if (!std::isfinite(c.latitude) || !std::isfinite(c.longitude))
            return failure(QStringLiteral("The survey's flight could not be placed on the map."));

    // Figures.
    SurveyFigures &fig = f.figures;
    fig.image = image;
    fig.area = std::abs(bg::area(area));
    for (const Pass &p : passes)
        fig.lineCount += p.lineCount;
    fig.photoCount = int(photoCount);
    std::vector<Point> path;
    if (start)
        path.push_back(*start);
    path.insert(path.end(), b.waypoints.begin(), b.waypoints.end());
    if (start)
        path.push_back(*start);
    for (size_t i = 1; i < path.size(); ++i)
        fig.distance += bg::distance(path[i - 1], path[i]);
    fig.turnCount = turnsAlong(path);
    fig.flightTime = fig.distance / settings.speed + fig.turnCount * kTurnAllowance;
    const FlightEnergyDemand demand{fig.distance, settings.speed, image.height, image.height,
                                    fig.turnCount * kTurnAllowance};
    fig.batteryShare = batteryShare(settings.energy, demand);
    fig.batteryCount = batteriesNeeded(settings.energy, demand, settings.batteryReserve);
    fig.transitsLeavingArea = b.transitsLeaving;
    return f;
}

} // namespace

SurveyFlight planSurvey(const SurveySettings &spec, const SurveyFlightSettings &settings)
{
    // Boost.Geometry throws on input its overlay cannot handle, and allocation may fail.
    try {
        return plan(spec, settings);
    } catch (const std::exception &e) {
        return failure(QStringLiteral("The survey could not be planned: %1.").arg(QString::fromUtf8(e.what())));
    } catch (...) {
        return failure(QStringLiteral("The survey could not be planned."));
    }
}

} // namespace zeltrin::survey
