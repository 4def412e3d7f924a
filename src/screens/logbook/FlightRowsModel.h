#pragma once

#include "FlightRecord.h"
#include "FlightStore.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QQmlEngine>

// The logbook's rows for a list view. A store's flights are read a page at a time as the list
// reaches them, and texts are made when a row is shown, so a logbook of thousands of flights
// costs only the rows seen.
class FlightRowsModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Rows come from FlightLogModel")
public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        LocationRole,
        DateTextRole,
        DurationTextRole,
        AltitudeTextRole,
        SpeedTextRole,
        DistanceTextRole,
        EndTextRole,
    };
    static constexpr qsizetype kPage = 100;

    using QAbstractListModel::QAbstractListModel;

    // Rows held here (the samples).
    void setFlights(const QList<zeltrin::FlightRecord> &flights);
    // Rows read from `store`: its first pages, as many as were loaded before (at least one).
    void setStore(FlightStore *store);
    // Loaded rows, newest first.
    const QList<zeltrin::FlightRecord> &flights() const { return m_flights; }
    // Rows in all, loaded or not.
    qsizetype total() const { return m_total; }

    int rowCount(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<zeltrin::FlightRecord> m_flights;
    FlightStore *m_store = nullptr;
    qsizetype m_total = 0;
    QLocale m_locale = QLocale::system();
};
