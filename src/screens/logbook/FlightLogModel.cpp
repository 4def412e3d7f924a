#include "FlightLogModel.h"

#include "FlightExport.h"
#include "Palette.h"

#include <QDir>
#include <QFileInfo>

using namespace zeltrin;

namespace {

QList<FlightRecord> asRecords(const QList<FlightLog> &logs)
{
    QList<FlightRecord> out;
    out.reserve(logs.size());
    for (const FlightLog &l : logs) {
        FlightRecord r;
        r.log = l;
        r.end = FlightEnd::landed;
        out << r;
    }
    return out;
}

} // namespace

FlightLogModel::FlightLogModel(QObject *parent) : FlightLogModel(QDateTime::currentDateTime(), parent) {}

FlightLogModel::FlightLogModel(const QDateTime &now, QObject *parent)
    : QObject(parent), m_logs(sampleFlightLogs(now)), m_samples(m_logs)
{
    m_rows.setFlights(asRecords(m_logs));
}

void FlightLogModel::setLogList(const QList<FlightLog> &logs)
{
    m_logs = logs;
    m_rows.setFlights(asRecords(m_logs));
    Q_EMIT logsChanged();
}

void FlightLogModel::setStore(FlightStore *store)
{
    if (m_store == store)
        return;
    if (m_store)
        disconnect(m_store, nullptr, this, nullptr);
    m_store = store;
    if (m_store) {
        connect(m_store, &FlightStore::flightsChanged, this, &FlightLogModel::reload);
        if (!m_store->setAsidePath().isEmpty())
            m_notice = QStringLiteral("The logbook file was damaged and could not be read. It was kept as \u201c%1\u201d "
                                      "and a new logbook was started.")
                           .arg(QFileInfo(m_store->setAsidePath()).fileName());
        else if (!m_store->isOpen())
            m_notice = QStringLiteral("Flights cannot be recorded: ") + m_store->errorText();
        Q_EMIT noticeChanged();
    }
    reload();
    Q_EMIT storeChanged();
}

void FlightLogModel::reload()
{
    m_recorded = m_store && m_store->everRecorded();
    if (m_recorded) {
        m_rows.setStore(m_store);
        m_logs.clear();
        for (const FlightRecord &f : m_rows.flights())
            m_logs << f.log;
    } else {
        m_logs = m_samples;
        m_rows.setFlights(asRecords(m_logs));
    }
    Q_EMIT logsChanged();
}

FlightAnalytics FlightLogModel::analytics() const
{
    if (m_recorded && m_store) {
        // Summed by the store: a long logbook is never read whole for its totals.
        const FlightTotals t = m_store->totals();
        return computeAnalytics(t.count, t.duration, t.distance, t.maxAltitudeSum, t.maxSpeedSum);
    }
    return computeAnalytics(m_logs);
}

bool FlightLogModel::deleteFlight(const QString &id)
{
    const QUuid uuid = QUuid::fromString(id);
    if (!m_recorded || !m_store || uuid.isNull())
        return false;
    if (!m_store->deleteFlight(uuid)) {
        setMessage(QStringLiteral("The flight could not be deleted. ") + m_store->errorText(), true);
        return false;
    }
    return true;
}

QString FlightLogModel::flightIdAt(int row) const
{
    return row >= 0 && row < m_rows.flights().size() ? m_rows.flights()[row].log.id.toString(QUuid::WithoutBraces) : QString();
}

void FlightLogModel::dismissNotice()
{
    if (m_notice.isEmpty())
        return;
    m_notice.clear();
    Q_EMIT noticeChanged();
}

void FlightLogModel::setMessage(const QString &text, bool error)
{
    m_message = text;
    m_messageIsError = error;
    Q_EMIT messageChanged();
}

void FlightLogModel::clearMessage() { setMessage({}, false); }

bool FlightLogModel::exportLogbook(const QUrl &folder)
{
    const QString dir = folder.isLocalFile() ? folder.toLocalFile() : folder.toString();
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        setMessage(QStringLiteral("Choose a folder to save the logbook in."), true);
        return false;
    }
    const QString name = logbookFileName(QDateTime::currentDateTime());
    const QString error = writeExportFile(QDir(dir).filePath(name), logbookCsv(m_rows.flights()));
    if (!error.isEmpty()) {
        setMessage(error, true);
        return false;
    }
    setMessage(QStringLiteral("Saved \u201c%1\u201d").arg(name), false);
    return true;
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
