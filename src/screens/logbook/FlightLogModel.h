#pragma once

#include "FlightLog.h"

#include <QObject>
#include <QQmlEngine>
#include <QVariantList>

// The logbook screen's state: the flights shown (two samples, made when the screen is created)
// and whether the analytics sheet is up.
class FlightLogModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
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

    const QList<FlightLog> &logList() const { return m_logs; }
    void setLogList(const QList<FlightLog> &logs);
    QVariantList logs() const { return zeltrin::toVariantList(m_logs); }
    void setLogs(const QVariantList &logs) { setLogList(zeltrin::flightLogsFromVariantList(logs)); }
    QVariantList rows() const;
    bool isEmpty() const { return m_logs.isEmpty(); }

    bool showAdvancedAnalytics() const { return m_showAdvancedAnalytics; }
    void setShowAdvancedAnalytics(bool v);

    static QVariantMap rowTexts(const FlightLog &log, const QLocale &locale = QLocale::system());

Q_SIGNALS:
    void logsChanged();
    void showAdvancedAnalyticsChanged();

private:
    QList<FlightLog> m_logs;
    bool m_showAdvancedAnalytics = false;
};

// The analytics sheet's figures for the list it is handed; the bars and trend notes are fixed.
class FlightAnalyticsModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariantList logs READ logs WRITE setLogs NOTIFY logsChanged)
    // Four cards, row by row: label, value, icon, color.
    Q_PROPERTY(QVariantList statCards READ statCards NOTIFY logsChanged)
    // Three bars: label, value, percentage, color.
    Q_PROPERTY(QVariantList performanceMetrics READ performanceMetrics NOTIFY logsChanged)
    // Three notes: icon, title, description, color.
    Q_PROPERTY(QVariantList trends READ trends CONSTANT)

public:
    explicit FlightAnalyticsModel(QObject *parent = nullptr);

    QVariantList logs() const { return zeltrin::toVariantList(m_logs); }
    void setLogs(const QVariantList &logs) { setLogList(zeltrin::flightLogsFromVariantList(logs)); }
    void setLogList(const QList<FlightLog> &logs);
    const zeltrin::FlightAnalytics &analytics() const { return m_analytics; }

    QVariantList statCards() const;
    QVariantList performanceMetrics() const;
    static QVariantList trends();

Q_SIGNALS:
    void logsChanged();

private:
    QList<FlightLog> m_logs;
    zeltrin::FlightAnalytics m_analytics;
};
