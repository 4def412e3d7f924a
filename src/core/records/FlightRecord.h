#pragma once

#include "FlightLog.h"

#include <QList>
#include <QString>

#include <optional>

namespace zeltrin {

// One sample of a recorded track, taken once a second while airborne.
struct TrackPoint {
    qint64 timeMs = 0;     // UTC, milliseconds since the epoch
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double altitude = 0;   // metres above take-off
    double speed = 0;      // ground speed, metres per second
    int battery = -1;      // percent, -1 when unknown
    int signal = -1;       // link strength in percent, -1 when unknown
    bool operator==(const TrackPoint &) const = default;
};

// A photo the aircraft's camera took during a recorded flight. A value the aircraft did not
// give is NaN.
struct PhotoRecord {
    int number = 0;         // 1 for the flight's first photo
    qint64 timeMs = 0;      // UTC, milliseconds since the epoch, when the app heard of it
    double latitude = 0;    // degrees
    double longitude = 0;   // degrees
    double height = 0;      // metres above take-off
    double heading = 0;     // degrees clockwise from north
    double gimbalPitch = 0; // degrees: 0 level, -90 straight down
};

// How a recorded flight came to its end.
enum class FlightEnd {
    open,        // still being recorded
    landed,      // the aircraft reported it is on the ground
    linkLost,    // the link dropped while airborne; the record stops at the last sample
    interrupted, // the app stopped mid-flight; closed at the next start
};
QString flightEndText(FlightEnd end); // "", "landed", "ended by link loss", "interrupted"
QString flightEndKey(FlightEnd end);  // stored form: "open", "landed", "link-lost", "interrupted"
FlightEnd flightEndFromKey(const QString &key);

// A flight as the logbook keeps it: the row's fields and what the detail page adds.
struct FlightRecord {
    FlightLog log;
    FlightEnd end = FlightEnd::open;
    int batteryStart = -1; // percent at take-off, -1 when unknown
    int batteryEnd = -1;   // percent at the last sample
    double takeoffLatitude = 0;
    double takeoffLongitude = 0;
    int pointCount = 0;
    // Percent used in flight, or -1 when either end is unknown.
    int batteryUsed() const { return batteryStart >= 0 && batteryEnd >= 0 ? batteryStart - batteryEnd : -1; }
};

// The row figures a track gives: duration from first to last sample, the highest altitude and
// speed, and the distance along the track (great-circle legs).
struct TrackSummary {
    double duration = 0;
    double maxAltitude = 0;
    double maxSpeed = 0;
    double distance = 0;
    int batteryStart = -1;
    int batteryEnd = -1;
};
TrackSummary summarizeTrack(const QList<TrackPoint> &points);
// Sets the record's figures to what its track gives.
void applyTrackSummary(FlightRecord &flight, const TrackSummary &summary);

// Sums over a logbook, for its totals and averages.
struct FlightTotals {
    qsizetype count = 0;
    double duration = 0;
    double distance = 0;
    double maxAltitudeSum = 0;
    double maxSpeedSum = 0;
    // For the analytics' metrics (FlightInsights.h). The highest maxSpeed, 0 with no flight.
    double fastest = 0;
    // Flights with both battery figures known, a charge that did not rise, and a duration.
    qsizetype batteryFlights = 0;
    double batteryUsed = 0;    // % in all
    double batteryMinutes = 0; // their durations in all
    // Flights with both battery figures known that used at least kMinEfficiencyBattery %.
    double efficiencyDistance = 0; // m in all
    double efficiencyBattery = 0;  // % in all
    double bestEfficiency = 0;     // m per %, the best single flight's; 0 with none
    // % per minute of the newest flight that has a battery figure per minute.
    std::optional<double> latestBatteryPerMinute;
};
// Metres between two points on the WGS 84 mean sphere (haversine).
double haversineMetres(double lat1, double lon1, double lat2, double lon2);

} // namespace zeltrin
