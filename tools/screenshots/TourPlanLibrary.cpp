// The plan library's scenes: a folder of saved plans of several kinds and ages, one damaged.
#include "TourContext.h"

#include "PlanFormats.h"
#include "SurveyPlan.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <numbers>

namespace {
using zeltrin::MissionPlan;

MissionPlan ring(int points, double radiusDeg, double lat, double lon, bool closed)
{
    MissionPlan p;
    for (int i = 0; i <= points - (closed ? 0 : 1); ++i) {
        const double a = 2 * std::numbers::pi * i / points;
        p.waypoints.append({lat + radiusDeg * std::sin(a), lon + radiusDeg * 1.5 * std::cos(a)});
    }
    p.altitude = 45;
    return p;
}

MissionPlan ridge()
{
    MissionPlan p;
    for (int i = 0; i < 9; ++i)
        p.waypoints.append({47.36 + 0.002 * i, 8.52 + 0.003 * i + (i % 2 ? 0.002 : -0.001)});
    return p;
}

bool write(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush()
        && f.setFileTime(modified, QFileDevice::FileModificationTime);
}
} // namespace

bool TourContext::fillPlanLibrary(const QString &folder, bool damaged)
{
    namespace io = zeltrin::planio;
    if (!QDir().mkpath(folder))
        return false;
    // Fixed times, so two renders of a scene show the same dates.
    const auto at = [](int day, int hour, int minute) { return QDateTime(QDate(2026, 3, day), QTime(hour, minute)); };
    const QDir dir(folder);
    bool ok = write(dir.filePath("Lakeshore Survey.plan"), io::writeQgcPlan(surveyPlan(36)), at(14, 16, 45))
        && write(dir.filePath("Bridge Inspection.kml"), io::writeKml(ring(12, 0.002, 47.37, 8.54, false)),
                 at(13, 10, 5))
        && write(dir.filePath("Ridge Line.geojson"), io::writeGeoJson(ridge()), at(11, 8, 20))
        && write(dir.filePath("Harbour Loop.plan"), io::writeQgcPlan(ring(6, 0.004, 47.35, 8.56, true)), at(6, 18, 30))
        && write(dir.filePath("Farm Field North.waypoints"), io::writeWaypointList(surveyPlan(64)), at(2, 9, 15))
        && write(dir.filePath("Riverside Warehouse Roof and Car Park, East Side.plan"),
                 io::writeQgcPlan(ring(4, 0.001, 47.38, 8.50, true)), at(1, 7, 40));
    if (damaged)
        ok = ok && write(dir.filePath("Old Quarry.plan"), io::writeQgcPlan(surveyPlan(20)).left(300), at(4, 12, 0));
    return ok;
}
