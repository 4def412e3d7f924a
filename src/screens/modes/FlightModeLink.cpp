#include "FlightModeLink.h"

#include <algorithm>
#include <cmath>

FlightModeLink::FlightModeLink(DJIIntelligentMode mode, QObject *parent)
    : QObject(parent), m_mode(mode), m_settings(defaultSettings(mode))
{
}

void FlightModeLink::setEnabled(bool on)
{
    const bool was = m_enabled;
    m_enabled = on;
    Q_EMIT isEnabledChanged();
    if (was == on || !m_drone)
        return;
    if (on)
        m_drone->startIntelligentMode(settings());
    else
        m_drone->stopIntelligentMode(m_mode);
}

DJIModeSettings FlightModeLink::settings() const
{
    DJIModeSettings s = m_settings;
    addOwnSettings(s);
    return s;
}

bool FlightModeLink::setSettings(const DJIModeSettings &settings)
{
    if (modeOf(settings) != m_mode)
        return false;
    m_settings = settings;
    return true;
}

bool FlightModeLink::updateSettings(const DJIModeSettings &settings)
{
    if (!setSettings(settings))
        return false;
    if (m_enabled && m_drone)
        m_drone->updateIntelligentMode(this->settings());
    return true;
}

PointOfInterestLink::PointOfInterestLink(QObject *parent) : FlightModeLink(DJIIntelligentMode::pointOfInterest, parent) {}

void PointOfInterestLink::setTarget(std::optional<zeltrin::Coordinate> target)
{
    m_target = target;
    Q_EMIT targetChanged();
}

void PointOfInterestLink::addOwnSettings(DJIModeSettings &settings) const
{
    if (auto *poi = std::get_if<DJIPointOfInterestSettings>(&settings))
        poi->target = m_target;
}

GeofenceLink::GeofenceLink(QObject *parent) : FlightModeLink(DJIIntelligentMode::geofence, parent) {}

void GeofenceLink::setRadius(double metres)
{
    if (!std::isnan(metres))
        m_radius = std::clamp(metres, kMinRadius, kMaxRadius);
    Q_EMIT radiusChanged();
}

void GeofenceLink::addOwnSettings(DJIModeSettings &settings) const
{
    if (auto *fence = std::get_if<DJIGeofenceSettings>(&settings))
        fence->radius = m_radius;
}
