#pragma once

#include "FlightRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The logbook as files other programs open: a spreadsheet of all flights, and one flight's
// track for mapping tools. Everything is UTF-8, numbers always in the C locale (a decimal point,
// whatever the pilot's language), times in UTC with a trailing "Z".
namespace zeltrin {

// The whole logbook, one row per flight after a header row:
//   id,date,duration,maxAltitude,maxSpeed,distance,location,batteryUsed,endReason
// date is the take-off time (2026-12-09T10:15:00Z); duration in seconds with one decimal,
// altitude and distance in metres with one decimal, speed in m/s with two. A number that is
// not finite, an invalid date or an unknown battery leaves its field empty. batteryUsed is the
// take-off percentage minus the last one (negative when it rose).
// RFC 4180: CRLF after every row, a field holding a comma, quote, CR or LF is quoted with its
// quotes doubled. A location a spreadsheet would run as a formula (it starts with = + - @, a tab
// or CR, or their full-width forms) gets a leading apostrophe, which spreadsheets show as text.
// The file starts with a UTF-8 byte order mark: without it Excel reads place names such as
// "Zürich" in the system's legacy code page; other spreadsheets and CSV readers skip it.
QByteArray logbookCsv(const QList<FlightRecord> &flights);

// GPX 1.1: one track of one segment. Points with a coordinate that is not finite or out of
// range are left out. A track holds heights above take-off; GPX's <ele> is a height above sea
// level, so it is written only when the take-off point's height above sea level is known
// (takeoffElevation; none is yet), as that plus the point's height. The height above take-off
// itself goes in our own extension, <zeltrin:heightAboveTakeoff> (planio::kGpxExtensionNamespace),
// which the plan reader reads back. A height that is not finite is left out. Each photo with a
// usable position is a waypoint named "Photo n", before the track, with its time and height.
QByteArray flightGpx(const FlightRecord &flight, const QList<TrackPoint> &points,
                     std::optional<double> takeoffElevation = std::nullopt, const QList<PhotoRecord> &photos = {});

// KML 2.2: the track as a LineString with its time span, and a Point each for take-off and the
// last position, with their times. Same rules for bad points. With the take-off elevation the
// heights are above sea level ("absolute"); without it they are the heights above take-off,
// drawn relativeToGround, the closest KML has: right at take-off, off elsewhere by the ground's
// rise or fall. The Document's ExtendedData "altitudeReference" ("sealevel" or "takeoff") says which.
QByteArray flightKml(const FlightRecord &flight, const QList<TrackPoint> &points,
                     std::optional<double> takeoffElevation = std::nullopt);

// "flight-2026-12-09-1015.gpx": the take-off time on this device's clock, as the pilot knows it.
// The suffix keeps only letters and digits. A flight without a valid date is named by its id.
QString exportFileName(const FlightRecord &flight, const QString &suffix);
// "logbook-2026-12-09.csv", on this device's clock.
QString logbookFileName(const QDateTime &now);

// Writes the file whole or not at all (a temporary file renamed into place). Empty on success,
// else a message for the pilot: "Could not save flight-….gpx: the folder does not exist".
QString writeExportFile(const QString &path, const QByteArray &data);

} // namespace zeltrin
