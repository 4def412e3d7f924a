#include "FlightLogModel.h"

#include "Palette.h"

using namespace zeltrin;

FlightLogModel::FlightLogModel(QObject *parent) : FlightLogModel(QDateTime::currentDateTime(), parent) {}

FlightLogModel::FlightLogModel(const QDateTime &now, QObject *parent)
    : QObject(parent), m_logs(sampleFlightLogs(now))
{
}

void FlightLogModel::setLogList(const QList<FlightLog> &logs)
{
    m_logs = logs;
    Q_EMIT logsChanged();
}

QVariantMap FlightLogModel::rowTexts(const FlightLog &log, const QLocale &locale)
{
    return {
        {QStringLiteral("id"), log.id.toString(QUuid::WithoutBraces)},
        {QStringLiteral("location"), log.location},
        {QStringLiteral("dateText"), logDateText(log.date, locale)},
        {QStringLiteral("durationText"), logDurationText(log.duration)},
        {QStringLiteral("altitudeText"), logAltitudeText(log.maxAltitude)},
        {QStringLiteral("speedText"), logSpeedText(log.maxSpeed)},
        {QStringLiteral("distanceText"), logDistanceText(log.distance)},
    };
}

QVariantList FlightLogModel::rows() const
{
    QVariantList out;
    for (const auto &l : m_logs)
        out << rowTexts(l);
    return out;
}

void FlightLogModel::setShowAdvancedAnalytics(bool v)
{
    m_showAdvancedAnalytics = v;
    Q_EMIT showAdvancedAnalyticsChanged();
}

FlightAnalyticsModel::FlightAnalyticsModel(QObject *parent)
    : QObject(parent), m_analytics(computeAnalytics({}))
{
}

void FlightAnalyticsModel::setLogList(const QList<FlightLog> &logs)
{
    m_logs = logs;
    m_analytics = computeAnalytics(m_logs);
    Q_EMIT logsChanged();
}

namespace {
QVariantMap card(const QString &label, const QString &value, const char *icon, const QColor &color)
{
    return {{QStringLiteral("label"), label}, {QStringLiteral("value"), value},
            {QStringLiteral("icon"), QString::fromLatin1(icon)}, {QStringLiteral("color"), color}};
}
QVariantMap metric(const QString &label, const QString &value, double percentage, const QColor &color)
{
    return {{QStringLiteral("label"), label}, {QStringLiteral("value"), value},
            {QStringLiteral("percentage"), percentage}, {QStringLiteral("color"), color}};
}
QVariantMap trend(const char *icon, const QString &title, const QString &description, const QColor &color)
{
    return {{QStringLiteral("icon"), QString::fromLatin1(icon)}, {QStringLiteral("title"), title},
            {QStringLiteral("description"), description}, {QStringLiteral("color"), color}};
}
} // namespace

QVariantList FlightAnalyticsModel::statCards() const
{
    const auto &p = palette();
    return {
        card(QStringLiteral("Total Flights"), m_analytics.totalFlights, "airplane.circle", p.themeGold),
        card(QStringLiteral("Flight Time"), m_analytics.flightTime, "clock", p.themeBlue),
        card(QStringLiteral("Distance"), m_analytics.distance, "arrow.left.and.right", p.themeGreen),
        card(QStringLiteral("Avg Altitude"), m_analytics.avgAltitude, "arrow.up.to.line", p.themeGold),
    };
}

QVariantList FlightAnalyticsModel::performanceMetrics() const
{
    const auto &p = palette();
    // Only the average speed is computed; the other two rows are fixed content.
    return {
        metric(QStringLiteral("Average Speed"), m_analytics.avgSpeed, 85, p.themeGold),
        metric(QStringLiteral("Flight Efficiency"), QStringLiteral("92%"), 92, p.themeGreen),
        metric(QStringLiteral("Battery Usage"), QStringLiteral("Optimal"), 78, p.themeBlue),
    };
}

QVariantList FlightAnalyticsModel::trends()
{
    const auto &p = palette();
    return {
        trend("arrow.up.right", QStringLiteral("Flight Duration Increasing"), QStringLiteral("+15% over last 5 flights"), p.themeGreen),
        trend("equal", QStringLiteral("Consistent Altitude"), QStringLiteral("Stable flight patterns"), p.themeGold),
        trend("arrow.up.right", QStringLiteral("Improving Efficiency"), QStringLiteral("Better battery management"), p.themeGreen),
    };
}
