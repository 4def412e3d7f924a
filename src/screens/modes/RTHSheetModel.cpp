#include "RTHSheetModel.h"

#include "NumberFormat.h"

#include <QVariantMap>

#include <cmath>

// No start/stop button here: the enable toggle takes its place, so the titles go unused.
RTHSheetModel::RTHSheetModel(QObject *parent)
    : FlagSheetModel(DJIIntelligentMode::smartReturnToHome, QString(), QString(), parent)
{
    for (auto changed : {&RTHSheetModel::reservePercentageChanged, &RTHSheetModel::includeWindCalculationChanged,
                         &RTHSheetModel::droneChanged})
        connect(this, changed, this, &RTHSheetModel::calculationsChanged);
}

void RTHSheetModel::setBatteryThreshold(double v)
{
    assignClamped(m_batteryThreshold, v, kMinThreshold, kMaxThreshold);
    Q_EMIT batteryThresholdChanged();
    settingTouched();
}

void RTHSheetModel::setReservePercentage(double v)
{
    assignClamped(m_reservePercentage, v, kMinReserve, kMaxReserve);
    Q_EMIT reservePercentageChanged();
    settingTouched();
}

void RTHSheetModel::setIncludeWindCalculation(bool v)
{
    m_includeWind = v;
    Q_EMIT includeWindCalculationChanged();
    settingTouched();
}

void RTHSheetModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone == drone)
        return;
    if (m_drone)
        disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (drone)
        for (auto changed :
             {&DJIDroneManager::flightDataChanged, &DJIDroneManager::isFlyingChanged, &DJIDroneManager::windChanged,
              &DJIDroneManager::homeChanged, &DJIDroneManager::valuesAreLiveChanged})
            connect(drone, changed, this, &RTHSheetModel::calculationsChanged);
    Q_EMIT droneChanged();
}

std::optional<DJIReturnPosition> RTHSheetModel::position() const
{
    if (!m_drone || !m_drone->valuesAreLive())
        return std::nullopt;
    const FlightData f = m_drone->flightData();
    DJIReturnPosition at;
    at.isFlying = m_drone->isFlying();
    at.distance = f.distanceFromHome;
    at.height = f.altitude;
    at.groundSpeed = f.groundSpeed;
    if (m_drone->hasHome())
        at.courseHome = courseBetween(f.latitude, f.longitude, m_drone->homeLatitude(), m_drone->homeLongitude());
    at.wind = m_drone->wind();
    return at;
}

std::optional<DJIReturnEstimate> RTHSheetModel::estimate() const
{
    const std::optional<DJIReturnPosition> at = position();
    const std::optional<DJIReturnProfile> profile = m_drone ? m_drone->returnProfile() : std::nullopt;
    if (!at || !profile)
        return std::nullopt;
    return estimateReturn(*profile, *at, std::get<DJISmartReturnSettings>(modeSettings()));
}

QString RTHSheetModel::timeText(double seconds)
{
    const std::optional<long long> whole = zeltrin::checkedTruncate(seconds + 0.5);
    if (!whole || *whole < 0)
        return zeltrin::kPlaceholder;
    return zeltrin::format("%d:%02d", *whole / 60, *whole % 60);
}

QVariantList RTHSheetModel::calculations() const
{
    auto stat = [](const char *label, const QString &value, const char *icon) {
        return QVariantMap{{QStringLiteral("label"), QString::fromUtf8(label)},
                           {QStringLiteral("value"), value},
                           {QStringLiteral("icon"), QString::fromUtf8(icon)}};
    };
    const std::optional<DJIReturnPosition> at = position();
    const std::optional<DJIReturnEstimate> e = estimate();
    const QString &none = zeltrin::kPlaceholder;
    return {stat("Distance Home", at && std::isfinite(at->distance) ? zeltrin::format("%.0fm", at->distance) : none,
                 "house.fill"),
            stat("Est. Battery", e ? zeltrin::format("%.0f%%", e->battery) : none, "battery.25"),
            stat("RTH Time", e ? timeText(e->seconds) : none, "clock")};
}

DJIModeSettings RTHSheetModel::modeSettings() const
{
    return DJISmartReturnSettings{m_batteryThreshold, m_reservePercentage, m_includeWind};
}
