#include "ConnectionBannerModel.h"

#include "NumberFormat.h"

using State = DJIDroneManager::ConnectionState;

void ConnectionBannerModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone)
        QObject::disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (m_drone) {
        QObject::connect(m_drone, &DJIDroneManager::connectionStateChanged, this, &ConnectionBannerModel::changed);
        QObject::connect(m_drone, &DJIDroneManager::batteryChanged, this, &ConnectionBannerModel::changed);
        QObject::connect(m_drone, &DJIDroneManager::flightDataChanged, this, &ConnectionBannerModel::changed);
        QObject::connect(m_drone, &DJIDroneManager::returnCauseChanged, this, &ConnectionBannerModel::changed);
    }
    Q_EMIT droneChanged();
    Q_EMIT changed();
}

QString ConnectionBannerModel::stateText() const
{
    return DJIDroneManager::rawValue(m_drone ? m_drone->connectionState() : State::disconnected);
}

QColor ConnectionBannerModel::stateColor() const
{
    return DJIDroneManager::color(m_drone ? m_drone->connectionState() : State::disconnected);
}

bool ConnectionBannerModel::showsTelemetry() const
{
    return m_drone && m_drone->connectionState() == State::connected;
}

QString ConnectionBannerModel::batteryText() const
{
    return zeltrin::format("%d%%", m_drone ? m_drone->battery().percentage : 0);
}

QString ConnectionBannerModel::altitudeText() const
{
    return zeltrin::format("%.0fm", m_drone ? m_drone->flightData().altitude : 0.0);
}
