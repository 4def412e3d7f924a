#pragma once

#include "FlightInsights.h"
#include "FlightLogModel.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QVariantList>

// The analytics sheet's figures for the list it is handed: the four totals, the three
// performance bars measured against the pilot's own flights, and the three trends of the last
// five flights against the five before (FlightInsights.h says how each is reckoned).
class FlightAnalyticsModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariantList logs READ logs WRITE setLogs NOTIFY logsChanged)
    // The logbook's flights, taken as they are (a long logbook is not copied through maps).
    Q_PROPERTY(FlightLogModel *book READ book WRITE setBook NOTIFY bookChanged)
    // Four cards, row by row: label, value, icon, color.
    Q_PROPERTY(QVariantList statCards READ statCards NOTIFY logsChanged)
    // Three bars: label, value, percentage, color.
    Q_PROPERTY(QVariantList performanceMetrics READ performanceMetrics NOTIFY logsChanged)
    // Three notes: icon, title, description, color.
    Q_PROPERTY(QVariantList trends READ trends NOTIFY logsChanged)

public:
    explicit FlightAnalyticsModel(QObject *parent = nullptr);

    QVariantList logs() const { return zeltrin::toVariantList(m_logs); }
    void setLogs(const QVariantList &logs) { setLogList(zeltrin::flightLogsFromVariantList(logs)); }
    void setLogList(const QList<FlightLog> &logs);
    const zeltrin::FlightAnalytics &analytics() const { return m_analytics; }
    const zeltrin::FlightInsights &insights() const { return m_insights; }

    QVariantList statCards() const;
    QVariantList performanceMetrics() const;
    QVariantList trends() const;
    FlightLogModel *book() const { return m_book; }
    void setBook(FlightLogModel *book);

Q_SIGNALS:
    void logsChanged();
    void bookChanged();

private:
    QList<FlightLog> m_logs;
    QPointer<FlightLogModel> m_book;
    zeltrin::FlightAnalytics m_analytics;
    zeltrin::FlightInsights m_insights;
};
