#include "FlightAnalyticsModel.h"

#include "Palette.h"

using namespace zeltrin;

FlightAnalyticsModel::FlightAnalyticsModel(QObject *parent)
    : QObject(parent), m_analytics(computeAnalytics({})), m_insights(computeInsights({}, {}))
{
}

void FlightAnalyticsModel::setBook(FlightLogModel *book)
{
    if (m_book == book)
        return;
    if (m_book)
        disconnect(m_book, nullptr, this, nullptr);
    m_book = book;
    if (m_book) {
        auto take = [this] {
            m_logs = m_book->logList();
            m_analytics = m_book->analytics();
            m_insights = computeInsights(m_book->totals(), m_book->records());
            Q_EMIT logsChanged();
        };
        connect(m_book, &FlightLogModel::logsChanged, this, take);
        take();
    }
    Q_EMIT bookChanged();
}

void FlightAnalyticsModel::setLogList(const QList<FlightLog> &logs)
{
    m_logs = logs;
    m_analytics = computeAnalytics(m_logs);
    const QList<FlightRecord> records = FlightLogModel::asRecords(m_logs);
    m_insights = computeInsights(totalsOf(records), records);
    Q_EMIT logsChanged();
}

namespace {
QVariantMap card(const QString &label, const QString &value, const char *icon, const QColor &color)
{
    return {{QStringLiteral("label"), label},
            {QStringLiteral("value"), value},
            {QStringLiteral("icon"), QString::fromLatin1(icon)},
            {QStringLiteral("color"), color}};
}
QVariantMap metric(const QString &label, const QString &value, double percentage, const QColor &color)
{
    return {{QStringLiteral("label"), label},
            {QStringLiteral("value"), value},
            {QStringLiteral("percentage"), percentage},
            {QStringLiteral("color"), color}};
}

// A trend's look: green where the pilot does better, red where worse, blue for a change that is
// neither, gold when steady, grey until there are flights enough to tell.
QVariantMap trend(const FlightTrend &t, const QColor &up, const QColor &down)
{
    const auto &p = palette();
    const char *icon = "hourglass";
    QColor color = p.themeGrey;
    switch (t.direction) {
    case FlightTrend::Direction::notEnough: break;
    case FlightTrend::Direction::increasing:
        icon = "arrow.up.right";
        color = up;
        break;
    case FlightTrend::Direction::decreasing:
        icon = "arrow.down.right";
        color = down;
        break;
    case FlightTrend::Direction::steady:
        icon = "equal";
        color = p.themeGold;
        break;
    }
    return {{QStringLiteral("icon"), QString::fromLatin1(icon)},
            {QStringLiteral("title"), t.title},
            {QStringLiteral("description"), t.description},
            {QStringLiteral("color"), color}};
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
    const FlightInsights &in = m_insights;
    return {
        metric(QStringLiteral("Average Speed"), m_analytics.avgSpeed, in.averageSpeed.percentage, p.themeGold),
        metric(QStringLiteral("Flight Efficiency"), in.efficiency.value, in.efficiency.percentage, p.themeGreen),
        metric(QStringLiteral("Battery Usage"), in.batteryUsage.value, in.batteryUsage.percentage, p.themeBlue),
    };
}

QVariantList FlightAnalyticsModel::trends() const
{
    const auto &p = palette();
    return {
        trend(m_insights.duration, p.themeGreen, p.themeBlue),
        trend(m_insights.altitudeSpread, p.themeBlue, p.themeBlue),
        trend(m_insights.batteryUse, p.themeRed, p.themeGreen),
    };
}
