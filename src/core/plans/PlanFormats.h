#pragma once

#include "MissionPlan.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reading and writing flight plans in the formats other ground stations and map tools use.
// Readers take raw bytes and refuse anything damaged or out of range with a reason that reads
// after "could not be opened: "; they never throw and never return a partial plan.
namespace zeltrin::planio {

enum class Format { QgcPlan, WaypointList, Kml, Kmz, GeoJson };

// Largest file (and largest unpacked KMZ document) we read.
constexpr qint64 kMaxFileBytes = 50LL * 1024 * 1024;

// The format a file name's extension asks for when saving; nullopt for an unknown one.
std::optional<Format> formatForPath(const QString &path);
QString extensionFor(Format f);

// Reads bytes of any supported format, recognised by content, not by name.
PlanReadResult readPlan(const QByteArray &bytes);
// Reads a file: refuses missing, empty and oversized files before reading them.
PlanReadResult readPlanFile(const QString &path);

PlanReadResult readQgcPlan(const QByteArray &bytes);
PlanReadResult readWaypointList(const QByteArray &bytes);
PlanReadResult readKml(const QByteArray &bytes);
PlanReadResult readKmz(const QByteArray &bytes, qint64 maxUnpacked = kMaxFileBytes);
PlanReadResult readGeoJson(const QByteArray &bytes);

QByteArray writePlan(const MissionPlan &plan, Format f);
QByteArray writeQgcPlan(const MissionPlan &plan);
QByteArray writeWaypointList(const MissionPlan &plan);
QByteArray writeKml(const MissionPlan &plan);
// Empty when the zip library fails (out of memory).
QByteArray writeKmz(const MissionPlan &plan);
QByteArray writeGeoJson(const MissionPlan &plan);

// Writes through a temporary file renamed into place, so a crash never leaves half a plan.
// Empty on success, else the reason.
QString savePlanFile(const MissionPlan &plan, const QString &path, Format f);

// "3 items without a position were skipped"; empty for 0.
QString skippedItemsText(int count);

} // namespace zeltrin::planio
