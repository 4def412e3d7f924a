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
    const quint64 attempt = ++m_attempt;
    if (on) {
        setRefusal({});
        m_drone->startIntelligentMode(settings(), this, [this, attempt](const DJICommandError &error) {
            if (error)
                refused(attempt, *error);
        });
    } else {
        m_drone->stopIntelligentMode(m_mode);
    }
}

// The mode never started, so nothing is stopped: the flag only shows it off again.
void FlightModeLink::refused(quint64 attempt, const QString &reason)
{
    if (attempt != m_attempt || !m_enabled)
        return;
    setRefusal(refusalText(m_mode, reason));
    m_enabled = false;
    Q_EMIT isEnabledChanged();
}

void FlightModeLink::setRefusal(const QString &text)
{
    if (m_refusal == text)
        return;
    m_refusal = text;
    Q_EMIT refusalChanged();
}

QString FlightModeLink::modeTitle(DJIIntelligentMode mode)
{
    switch (mode) {
    case DJIIntelligentMode::pointOfInterest: return QStringLiteral("Point of interest");
    case DJIIntelligentMode::orbit: return QStringLiteral("Orbit");
    case DJIIntelligentMode::smartReturnToHome: return QStringLiteral("Smart RTH");
    case DJIIntelligentMode::geofence: return QStringLiteral("The geofence");
    case DJIIntelligentMode::activeTrack: return QStringLiteral("ActiveTrack");
    }
    return {};
}

QString FlightModeLink::refusalText(DJIIntelligentMode mode, const QString &reason)
{
    if (reason == DJISDKManager::notFlyingReason())
        return modeTitle(mode) + QStringLiteral(" needs the aircraft in the air");
    if (reason == DJISDKManager::notConnectedReason())
        return modeTitle(mode) + QStringLiteral(" needs a connected aircraft");
    return modeTitle(mode) + QStringLiteral(": ") + reason;
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

PointOfInterestLink::PointOfInterestLink(QObject *parent) : FlightModeLink(DJIIntelligentMode::pointOfInterest, parent)
{
}

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
