#pragma once

#include "MissionPlan.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reading and writing flight plans in the formats other ground stations and map tools use.
// Readers take raw bytes and refuse anything damaged or out of range with a reason that reads
// after "could not be opened: "; they never throw and never return a partial plan. Each keeps
// the reference its file gives for the heights (MissionPlan::altitudeReference), and each writer
// labels heights with the reference they have (see the format's source for how).
namespace zeltrin::planio {

// The formats we write.
enum class Format { QgcPlan, WaypointList, Kml, Kmz, GeoJson };
// The kinds of file we read: those we write, and GPX.
enum class FileKind { QgcPlan, WaypointList, Kml, Kmz, GeoJson, Gpx };

// Largest file (and largest unpacked KMZ document) we read.
constexpr qint64 kMaxFileBytes = 50LL * 1024 * 1024;

// The format a file name's extension asks for when saving; nullopt for an unknown one.
std::optional<Format> formatForPath(const QString &path);
QString extensionFor(Format f);
// The kind of file a name's extension says it is; nullopt for an unknown one.
std::optional<FileKind> fileKindForPath(const QString &path);

// Reads bytes of any supported format, recognised by content, not by name: a renamed file still
// opens. The kind the file's name gives only makes a refusal more specific ("this is a PNG
// image, not KML").
PlanReadResult readPlan(const QByteArray &bytes, std::optional<FileKind> named = std::nullopt);
// Reads a file: refuses missing, empty and oversized files before reading them.
PlanReadResult readPlanFile(const QString &path);
// The bytes of a file readPlanFile would read, or the reason it refuses them (bytes left empty).
QString readPlanBytes(const QString &path, QByteArray &bytes);

PlanReadResult readQgcPlan(const QByteArray &bytes);
PlanReadResult readWaypointList(const QByteArray &bytes);
PlanReadResult readKml(const QByteArray &bytes);
PlanReadResult readKmz(const QByteArray &bytes, qint64 maxUnpacked = kMaxFileBytes);
PlanReadResult readGeoJson(const QByteArray &bytes);
// GPX 1.0 and 1.1: routes, else tracks, else waypoints. Elevations are heights above sea level.
PlanReadResult readGpx(const QByteArray &bytes);

// Our own GPX extension, in a point's <extensions>: <zeltrin:heightAboveTakeoff>, in metres.
inline const QString kGpxExtensionNamespace = QStringLiteral("https://zeltrin.app/xmlns/gpx/1");
inline const QString kGpxHeightAboveTakeoff = QStringLiteral("heightAboveTakeoff");

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
