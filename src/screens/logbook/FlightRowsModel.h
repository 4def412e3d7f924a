#pragma once

#include "FlightRecord.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QQmlEngine>

// The logbook's rows for a list view. Texts are made when a row is shown, so a logbook of
// thousands of flights costs only the rows on screen.
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
    using QAbstractListModel::QAbstractListModel;

    void setFlights(const QList<zeltrin::FlightRecord> &flights);
    const QList<zeltrin::FlightRecord> &flights() const { return m_flights; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<zeltrin::FlightRecord> m_flights;
    QLocale m_locale = QLocale::system();
};
