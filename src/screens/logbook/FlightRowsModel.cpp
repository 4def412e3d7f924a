#include "FlightRowsModel.h"

using namespace zeltrin;

void FlightRowsModel::setFlights(const QList<FlightRecord> &flights)
{
    beginResetModel();
    m_flights = flights;
    m_locale = QLocale::system();
    endResetModel();
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
