#include "FlightRecord.h"

#include <algorithm>
#include <cmath>

namespace zeltrin {

QString flightEndText(FlightEnd end)
{
    switch (end) {
    case FlightEnd::open: return {};
    case FlightEnd::landed: return QStringLiteral("landed");
    case FlightEnd::linkLost: return QStringLiteral("ended by link loss");
    case FlightEnd::interrupted: return QStringLiteral("interrupted");
    }
    return {};
}

QString flightEndKey(FlightEnd end)
{
    switch (end) {
    case FlightEnd::open: return QStringLiteral("open");
    case FlightEnd::landed: return QStringLiteral("landed");
    case FlightEnd::linkLost: return QStringLiteral("link-lost");
    case FlightEnd::interrupted: return QStringLiteral("interrupted");
    }
    return QStringLiteral("open");
}

FlightEnd flightEndFromKey(const QString &key)
{
    for (FlightEnd e : {FlightEnd::landed, FlightEnd::linkLost, FlightEnd::interrupted})
        if (key == flightEndKey(e))
            return e;
    return FlightEnd::open;
}

double haversineMetres(double lat1, double lon1, double lat2, double lon2)
{
    constexpr double kEarthRadius = 6371008.8; // mean radius, metres
    constexpr double kRad = M_PI / 180.0;
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kEarthRadius * std::asin(std::sqrt(std::clamp(a, 0.0, 1.0)));
}

TrackSummary summarizeTrack(const QList<TrackPoint> &points)
{
    TrackSummary s;
    if (points.isEmpty())
        return s;
    s.duration = double(points.last().timeMs - points.first().timeMs) / 1000.0;
    s.batteryStart = points.first().battery;
    s.batteryEnd = points.last().battery;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const TrackPoint &p = points[i];
        if (std::isfinite(p.altitude))
            s.maxAltitude = std::max(s.maxAltitude, p.altitude);
        if (std::isfinite(p.speed))
            s.maxSpeed = std::max(s.maxSpeed, p.speed);
        if (i > 0) {
            const double d = haversineMetres(points[i - 1].latitude, points[i - 1].longitude, p.latitude, p.longitude);
            if (std::isfinite(d))
                s.distance += d;
        }
    }
    return s;
}

void applyTrackSummary(FlightRecord &flight, const TrackSummary &s)
{
    flight.log.duration = s.duration;
    flight.log.maxAltitude = s.maxAltitude;
    flight.log.maxSpeed = s.maxSpeed;
    flight.log.distance = s.distance;
    flight.batteryStart = s.batteryStart;
    flight.batteryEnd = s.batteryEnd;
}

} // namespace zeltrin
