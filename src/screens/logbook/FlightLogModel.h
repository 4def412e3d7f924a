#pragma once

#include "FlightLog.h"
#include "FlightRowsModel.h"
#include "FlightStore.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

// The logbook screen's state: the flights shown and whether the analytics sheet is up. With a
// store, the flights are the recorded ones, newest first; until anything was ever recorded
// (or without a store) they are the two samples made when the screen is created.
class FlightLogModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(FlightStore *store READ store WRITE setStore NOTIFY storeChanged)
    // True when the rows are recorded flights rather than the samples.
    Q_PROPERTY(bool recorded READ recorded NOTIFY logsChanged)
    Q_PROPERTY(FlightRowsModel *rowModel READ rowModel CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY logsChanged)
    // Said once after a damaged logbook file was set aside; empty otherwise.
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    // The outcome of the last export or deletion, for the banner; empty when there is none.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(bool messageIsError READ messageIsError NOTIFY messageChanged)
    // The records as maps (id, date, duration, maxAltitude, maxSpeed, distance, location).
    Q_PROPERTY(QVariantList logs READ logs WRITE setLogs NOTIFY logsChanged)
    // One entry per record with its shown texts (location, dateText, durationText, altitudeText,
    // speedText, distanceText).
    Q_PROPERTY(QVariantList rows READ rows NOTIFY logsChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY logsChanged)
    Q_PROPERTY(bool showAdvancedAnalytics READ showAdvancedAnalytics WRITE setShowAdvancedAnalytics NOTIFY showAdvancedAnalyticsChanged)

public:
    explicit FlightLogModel(QObject *parent = nullptr);
    FlightLogModel(const QDateTime &now, QObject *parent = nullptr);

    FlightStore *store() const { return m_store; }
    void setStore(FlightStore *store);
    bool recorded() const { return m_recorded; }
    FlightRowsModel *rowModel() { return &m_rows; }
    int count() const { return int(m_rows.total()); }
    QString notice() const { return m_notice; }
    QString message() const { return m_message; }
    bool messageIsError() const { return m_messageIsError; }
    // The rows loaded so far, newest first.
    const QList<zeltrin::FlightRecord> &records() const { return m_rows.flights(); }
    // Totals and averages over every flight listed.
    zeltrin::FlightAnalytics analytics() const;
    // The sums behind the analytics' metrics, over every flight listed.
    zeltrin::FlightTotals totals() const;
    // Every flight listed, newest first (a store's read whole).
    QList<zeltrin::FlightRecord> allRecords() const;
    // The samples as records: no battery figures.
    static QList<zeltrin::FlightRecord> asRecords(const QList<FlightLog> &logs);

    // Deletes a recorded flight with its track (the samples cannot be deleted).
    Q_INVOKABLE bool deleteFlight(const QString &id);
    Q_INVOKABLE void dismissNotice();
    // The id of the flight in `row` (newest first), or empty.
    Q_INVOKABLE QString flightIdAt(int row) const;
    Q_INVOKABLE void clearMessage();
    // Writes the whole logbook as CSV into `folder`; the outcome goes to `message`.
    Q_INVOKABLE bool exportLogbook(const QUrl &folder);
    // Writes the analytics report (PDF) into `folder`; the outcome goes to `message`.
    Q_INVOKABLE bool exportAnalyticsReport(const QUrl &folder);

    const QList<FlightLog> &logList() const { return m_logs; }
    void setLogList(const QList<FlightLog> &logs);
    QVariantList logs() const { return zeltrin::toVariantList(m_logs); }
    void setLogs(const QVariantList &logs) { setLogList(zeltrin::flightLogsFromVariantList(logs)); }
    QVariantList rows() const;
    bool isEmpty() const { return m_rows.total() == 0; }

    bool showAdvancedAnalytics() const { return m_showAdvancedAnalytics; }
    void setShowAdvancedAnalytics(bool v);

    static QVariantMap rowTexts(const FlightLog &log, const QLocale &locale = QLocale::system());

Q_SIGNALS:
    void logsChanged();
    void showAdvancedAnalyticsChanged();
    void storeChanged();
    void noticeChanged();
    void messageChanged();

private:
    void reload();
    void setMessage(const QString &text, bool error);

    QList<FlightLog> m_logs;
    QList<FlightLog> m_samples;
    FlightRowsModel m_rows;
    QPointer<FlightStore> m_store;
    bool m_recorded = false;
    bool m_showAdvancedAnalytics = false;
    QString m_notice;
    QString m_message;
    bool m_messageIsError = false;
    QTimer m_messageTimer; // the message goes by itself
};
