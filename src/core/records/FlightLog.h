#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QUuid>
#include <QVariantMap>

#include <optional>

// One past flight. Fixed once made.
struct FlightLog {
    QUuid id = QUuid::createUuid();
    QDateTime date;
    double duration = 0;     // seconds
    double maxAltitude = 0;  // metres
    double maxSpeed = 0;     // metres per second
    double distance = 0;     // metres
    QString location;
};

namespace zeltrin {

// The two sample flights shown until real records exist: an hour and a day before `now`.
QList<FlightLog> sampleFlightLogs(const QDateTime &now);

// Row texts. A duration that is NaN, infinite or beyond 64-bit seconds shows the placeholder.
QString logDurationText(double seconds);   // "14m 0s"
QString logAltitudeText(double metres);    // "87m"
QString logSpeedText(double metresPerSecond); // "11.4 m/s"
QString logDistanceText(double metres);    // "1240m"
// Day, month and year in the locale's long style without the weekday, no time.
QString logDateText(const QDateTime &date, const QLocale &locale = QLocale::system());

// Map form for QML, and back (missing numbers read as 0, a missing date as invalid).
QVariantMap toVariant(const FlightLog &log);
FlightLog flightLogFromVariant(const QVariant &v);
QVariantList toVariantList(const QList<FlightLog> &logs);
QList<FlightLog> flightLogsFromVariantList(const QVariantList &list);

// Totals and averages of the analytics sheet, as shown.
struct FlightAnalytics {
    QString totalFlights;  // "2"
    QString flightTime;    // "0h 35m"
    QString distance;      // "4.3 km"
    QString avgAltitude;   // "100 m"
    QString avgSpeed;      // "12.8 m/s"
};
FlightAnalytics computeAnalytics(const QList<FlightLog> &logs);
// The same from sums kept elsewhere (a store's); `count` flights in all.
FlightAnalytics computeAnalytics(qsizetype count, double duration, double distance, double maxAltitudeSum,
                                 double maxSpeedSum);
// "%dh %dm" of whole seconds; the placeholder when the total cannot be a whole number.
QString totalFlightTimeText(double seconds);

} // namespace zeltrin
