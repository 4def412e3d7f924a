#include "FlightRowsModel.h"

using namespace zeltrin;

void FlightRowsModel::setFlights(const QList<FlightRecord> &flights)
{
    beginResetModel();
    m_store = nullptr;
    m_flights = flights;
    m_total = flights.size();
    m_locale = QLocale::system();
    endResetModel();
}

void FlightRowsModel::setStore(FlightStore *store)
{
    beginResetModel();
    const qsizetype keep = std::max(kPage, qsizetype(m_store == store ? m_flights.size() : 0));
    m_store = store;
    m_total = store ? store->flightCount() : 0;
    m_flights = store ? store->flights(0, keep) : QList<FlightRecord>{};
    m_locale = QLocale::system();
    endResetModel();
}

bool FlightRowsModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_store && m_flights.size() < m_total;
}

void FlightRowsModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const QList<FlightRecord> more = m_store->flights(m_flights.size(), kPage);
    if (more.isEmpty()) {
        m_total = m_flights.size(); // the store shrank meanwhile
        return;
    }
    beginInsertRows({}, int(m_flights.size()), int(m_flights.size() + more.size() - 1));
    m_flights += more;
    endInsertRows();
}

int FlightRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_flights.size());
}

QVariant FlightRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_flights.size())
        return {};
    const FlightRecord &f = m_flights[index.row()];
    switch (role) {
    case IdRole: return f.log.id.toString(QUuid::WithoutBraces);
    case LocationRole: return f.log.location;
    case DateTextRole: return logDateText(f.log.date.toLocalTime(), m_locale);
    case DurationTextRole: return logDurationText(f.log.duration);
    case AltitudeTextRole: return logAltitudeText(f.log.maxAltitude);
    case SpeedTextRole: return logSpeedText(f.log.maxSpeed);
    case DistanceTextRole: return logDistanceText(f.log.distance);
    case EndTextRole: return f.end == FlightEnd::landed ? QString() : flightEndText(f.end);
    }
    return {};
}

QHash<int, QByteArray> FlightRowsModel::roleNames() const
{
    return {
        {IdRole, "flightId"},
        {LocationRole, "location"},
        {DateTextRole, "dateText"},
        {DurationTextRole, "durationText"},
        {AltitudeTextRole, "altitudeText"},
        {SpeedTextRole, "speedText"},
        {DistanceTextRole, "distanceText"},
        {EndTextRole, "endText"},
    };
}
