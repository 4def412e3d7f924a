#include "FlightLog.h"

#include "NumberFormat.h"

#include <QRegularExpression>

namespace zeltrin {

QList<FlightLog> sampleFlightLogs(const QDateTime &now)
{
    const QString place = QStringLiteral("Divuze, VO");
    FlightLog recent;
    recent.date = now.addSecs(-3600);
    recent.duration = 840.0;
    recent.maxAltitude = 87.0;
    recent.maxSpeed = 11.4;
    recent.distance = 1240.0;
    recent.location = place;
    FlightLog older;
    older.date = now.addSecs(-86400);
    older.duration = 1260.0;
    older.maxAltitude = 112.0;
    older.maxSpeed = 14.2;
    older.distance = 3100.0;
    older.location = place;
    return {recent, older};
}

QString logDurationText(double seconds)
{
    const auto t = checkedTruncate(seconds);
    if (!t)
        return kPlaceholder;
    const long long minutes = *t / 60;
    return format("%dm %ds", minutes, *t - 60 * minutes);
}

QString logAltitudeText(double metres) { return format("%.0fm", metres); }
QString logSpeedText(double metresPerSecond) { return format("%.1f m/s", metresPerSecond); }
QString logDistanceText(double metres) { return format("%.0fm", metres); }

QString logDateText(const QDateTime &date, const QLocale &locale)
{
    if (!date.isValid())
        return kPlaceholder;
    // The long style names the weekday too; the log shows only day, month and year.
    static const QRegularExpression weekday(QStringLiteral(R"(d{4}[,.]?\s*|[,.]?\s*d{4})"));
    QString pattern = locale.dateFormat(QLocale::LongFormat);
    pattern.remove(weekday);
    pattern = pattern.trimmed();
    if (!pattern.contains(QLatin1Char('y')) || !pattern.contains(QLatin1Char('M')) || !pattern.contains(QLatin1Char('d')))
        return locale.toString(date.date(), QLocale::ShortFormat);
    return locale.toString(date.date(), pattern);
}

QVariantMap toVariant(const FlightLog &log)
{
    return {
        {QStringLiteral("id"), log.id.toString(QUuid::WithoutBraces)},
        {QStringLiteral("date"), log.date},
        {QStringLiteral("duration"), log.duration},
        {QStringLiteral("maxAltitude"), log.maxAltitude},
        {QStringLiteral("maxSpeed"), log.maxSpeed},
        {QStringLiteral("distance"), log.distance},
        {QStringLiteral("location"), log.location},
    };
}

FlightLog flightLogFromVariant(const QVariant &v)
{
    const QVariantMap m = v.toMap();
    FlightLog log;
    const QUuid id = QUuid::fromString(m.value(QStringLiteral("id")).toString());
    if (!id.isNull())
        log.id = id;
    log.date = m.value(QStringLiteral("date")).toDateTime();
    log.duration = m.value(QStringLiteral("duration")).toDouble();
    log.maxAltitude = m.value(QStringLiteral("maxAltitude")).toDouble();
    log.maxSpeed = m.value(QStringLiteral("maxSpeed")).toDouble();
    log.distance = m.value(QStringLiteral("distance")).toDouble();
    log.location = m.value(QStringLiteral("location")).toString();
    return log;
}

QVariantList toVariantList(const QList<FlightLog> &logs)
{
    QVariantList out;
    for (const auto &l : logs)
        out << toVariant(l);
    return out;
}

QList<FlightLog> flightLogsFromVariantList(const QVariantList &list)
{
    QList<FlightLog> out;
    for (const auto &v : list)
        out << flightLogFromVariant(v);
    return out;
}

QString totalFlightTimeText(double seconds)
{
    const auto t = checkedTruncate(seconds);
    if (!t)
        return kPlaceholder;
    const long long hours = *t / 3600;
    const long long minutes = (*t - 3600 * hours) / 60;
    return format("%dh %dm", hours, minutes);
}

FlightAnalytics computeAnalytics(const QList<FlightLog> &logs)
{
    double duration = 0, distance = 0, altitude = 0, speed = 0;
    for (const auto &l : logs) {
        duration += l.duration;
        distance += l.distance;
        altitude += l.maxAltitude;
        speed += l.maxSpeed;
    }
    return computeAnalytics(logs.size(), duration, distance, altitude, speed);
}

FlightAnalytics computeAnalytics(qsizetype n, double duration, double distance, double altitude, double speed)
{
    FlightAnalytics a;
    a.totalFlights = format("%d", n);
    a.flightTime = totalFlightTimeText(duration);
    a.distance = format("%.1f km", distance / 1000.0);
    a.avgAltitude = format("%.0f m", n > 0 ? altitude / double(n) : 0.0);
    a.avgSpeed = format("%.1f m/s", n > 0 ? speed / double(n) : 0.0);
    return a;
}

} // namespace zeltrin
