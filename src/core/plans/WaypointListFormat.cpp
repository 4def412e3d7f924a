// The plain-text waypoint list ("QGC WPL 110"): one tab-separated MAVLink mission item a line,
// seq, current, frame, command, param1-4, latitude, longitude, altitude, autocontinue. The
// first item is the home position.
#include "PlanChecks.h"
#include "PlanFormats.h"

#include <QStringList>

#include <cmath>

namespace zeltrin::planio {
using namespace detail;

namespace {
constexpr int kNavWaypoint = 16;
constexpr int kDoChangeSpeed = 178;
constexpr int kFrameGlobal = 0, kFrameMission = 2, kFrameRelative = 3, kFrameTerrain = 10;

bool isPositional(int command)
{
    switch (command) {
    case 16: case 17: case 18: case 19: case 21: case 22: case 31: case 82: case 84: case 85:
        return true;
    default:
        return false;
    }
}

bool isPositionFrame(int frame) { return frame == 0 || frame == 3 || frame == 5 || frame == 6 || frame == 10 || frame == 11; }

// Global frames (0, 5) hold heights above sea level, relative ones (3, 6) above home, terrain
// frames (10, 11) above the ground.
HeightReference frameReference(int frame)
{
    if (frame == 3 || frame == 6)
        return HeightReference::TakeOff;
    if (frame == 10 || frame == 11)
        return HeightReference::Ground;
    return HeightReference::SeaLevel;
}
} // namespace

PlanReadResult readWaypointList(const QByteArray &bytes)
{
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    MissionPlan plan;
    int skipped = 0;
    bool headerSeen = false, homeSeen = false, altitudeFromWaypoint = false;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = QString::fromUtf8(lines.at(n)).trimmed();
        const QString where = QStringLiteral("line %1").arg(n + 1);
        if (line.isEmpty())
            continue;
        if (!headerSeen) {
            if (line != u"QGC WPL 110" && line != u"QGC WPL 120")
                return PlanReadResult::failure(
                    QStringLiteral("its first line is \u201C%1\u201D, not \u201CQGC WPL 110\u201D").arg(excerpt(line)));
            headerSeen = true;
            continue;
        }
        static const QRegularExpression fieldGap(QStringLiteral("[\\t ]+"));
        const QStringList f = line.split(fieldGap);
        if (f.size() != 12)
            return PlanReadResult::failure(
                QStringLiteral("%1 has %2 fields, not the 12 of a waypoint").arg(where).arg(f.size()));
        double v[12];
        for (int i = 0; i < 12; ++i) {
            bool ok = false;
            v[i] = f.at(i).toDouble(&ok);
            if (!ok)
                return PlanReadResult::failure(QStringLiteral("field %1 on %2 (\u201C%3\u201D) is not a number")
                                                   .arg(i + 1)
                                                   .arg(where, excerpt(f.at(i), 20)));
        }
        const auto whole = [](double d) { return std::isfinite(d) && d == std::floor(d) && std::abs(d) < 1e9; };
        if (!whole(v[2]) || !whole(v[3]))
            return PlanReadResult::failure(QStringLiteral("%1 has a frame or command that is not a whole number").arg(where));
        const int frame = int(v[2]), command = int(v[3]);
        const double lat = v[8], lon = v[9], alt = v[10];

        if (!homeSeen) {
            homeSeen = true;
            if (QString e = coordinateProblem(lat, lon, QStringLiteral("the home position on %1").arg(where)); !e.isEmpty())
                return PlanReadResult::failure(e);
            if (lat != 0.0 || lon != 0.0)
                plan.plannedHome = MissionPlan::Home{{lat, lon}, std::isfinite(alt) ? alt : 0.0};
            continue;
        }
        if (command == kDoChangeSpeed) {
            if (v[5] > 0 && std::isfinite(v[5]))
                plan.speed = v[5];
            continue;
        }
        if (!isPositional(command) || !isPositionFrame(frame) || (lat == 0.0 && lon == 0.0 && command != kNavWaypoint)) {
            ++skipped;
            continue;
        }
        if (QString e = coordinateProblem(lat, lon, where); !e.isEmpty())
            return PlanReadResult::failure(e);
        if (QString e = altitudeProblem(alt, where); !e.isEmpty())
            return PlanReadResult::failure(e);
        plan.waypoints.append({lat, lon});
        const bool waypoint = command == kNavWaypoint;
        if (!plan.altitude || (waypoint && !altitudeFromWaypoint)) {
            plan.altitude = alt;
            plan.altitudeReference = frameReference(frame);
            plan.terrainFollow = frame == kFrameTerrain || frame == 11;
            altitudeFromWaypoint = waypoint;
        }
    }
    if (!headerSeen)
        return PlanReadResult::failure(QStringLiteral("the waypoint list is empty"));
    return finish(std::move(plan), skipped, QStringLiteral("the waypoint list has no item with a position"));
}

QByteArray writeWaypointList(const MissionPlan &plan)
{
    const auto [altitude, reference] = missionHeight(plan);
    const int frame = reference == HeightReference::Ground ? kFrameTerrain
        : reference == HeightReference::SeaLevel           ? kFrameGlobal
                                                           : kFrameRelative;
    const MissionPlan::Home home = plan.plannedHome.value_or(
        MissionPlan::Home{plan.waypoints.isEmpty() ? Coordinate{} : plan.waypoints.first(), 0.0});
    QString out;
    out.reserve(64 + plan.waypoints.size() * 64);
    out += u"QGC WPL 110\n";
    const auto line = [&out](int seq, int current, int fr, int command, double p1, double p2, double p3,
                             double lat, double lon, double alt) {
        const QString tab = QStringLiteral("\t");
        out += QString::number(seq) + tab + QString::number(current) + tab + QString::number(fr) + tab
            + QString::number(command) + tab + number(p1) + tab + number(p2) + tab + number(p3) + tab + u'0' + tab
            + number(lat) + tab + number(lon) + tab + number(alt) + tab + QStringLiteral("1\n");
    };
    int seq = 0;
    line(seq++, 1, 0, kNavWaypoint, 0, 0, 0, home.position.latitude, home.position.longitude, home.altitude);
    if (plan.speed) // ground speed, no throttle change
        line(seq++, 0, kFrameMission, kDoChangeSpeed, 1, *plan.speed, -1, 0, 0, 0);
    for (const Coordinate &c : plan.waypoints)
        line(seq++, 0, frame, kNavWaypoint, 0, 0, 0, c.latitude, c.longitude, altitude);
    return out.toUtf8();
}

} // namespace zeltrin::planio
