#include "FlightLogModel.h"

#include "FlightExport.h"
#include "FlightReport.h"
#include "MessageTime.h"

#include <QDir>
#include <QFileInfo>

using namespace zeltrin;

QList<FlightRecord> FlightLogModel::asRecords(const QList<FlightLog> &logs)
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

FlightLogModel::FlightLogModel(QObject *parent) : FlightLogModel(QDateTime::currentDateTime(), parent) {}

FlightLogModel::FlightLogModel(const QDateTime &now, QObject *parent)
    : QObject(parent), m_logs(sampleFlightLogs(now)), m_samples(m_logs)
{
    m_rows.setFlights(asRecords(m_logs));
    m_messageTimer.setSingleShot(true);
    connect(&m_messageTimer, &QTimer::timeout, this, &FlightLogModel::clearMessage);
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

FlightTotals FlightLogModel::totals() const
{
    if (m_recorded && m_store)
        return m_store->totals();
    return totalsOf(m_rows.flights());
}

QList<FlightRecord> FlightLogModel::allRecords() const
{
    if (m_recorded && m_store)
        return m_store->flights();
    return m_rows.flights();
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
    if (text.isEmpty())
        m_messageTimer.stop();
    else
        m_messageTimer.start(MessageTime::shownMs(text, error));
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

bool FlightLogModel::exportAnalyticsReport(const QUrl &folder)
{
    const QString dir = folder.isLocalFile() ? folder.toLocalFile() : folder.toString();
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        setMessage(QStringLiteral("Choose a folder to save the report in."), true);
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = analyticsReportFileName(now);
    const FlightInsights insights = computeInsights(totals(), m_rows.flights());
    const QByteArray pdf = analyticsReportPdf(analytics(), insights, allRecords(), now);
    const QString error = pdf.isEmpty() ? QStringLiteral("Could not save %1: the report could not be made").arg(name)
                                        : writeExportFile(QDir(dir).filePath(name), pdf);
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
