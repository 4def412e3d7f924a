#include "OrbitSheetModel.h"

OrbitSheetModel::OrbitSheetModel(QObject *parent)
    : FlagSheetModel(DJIIntelligentMode::orbit, QStringLiteral("Start Orbit"), QStringLiteral("Stop Orbit"), parent)
{
}

void OrbitSheetModel::setOrbitRadius(double v)
{
    assignClamped(m_orbitRadius, v, kMinRadius, kMaxRadius);
    Q_EMIT orbitRadiusChanged();
    settingTouched();
}

void OrbitSheetModel::setRotationSpeed(double v)
{
    assignClamped(m_rotationSpeed, v, kMinSpeed, kMaxSpeed);
    Q_EMIT rotationSpeedChanged();
    settingTouched();
}

void OrbitSheetModel::setMaintainAltitude(bool v)
{
    m_maintainAltitude = v;
    Q_EMIT maintainAltitudeChanged();
    settingTouched();
}

DJIModeSettings OrbitSheetModel::modeSettings() const
{
    return DJIOrbitSettings{m_orbitRadius, m_rotationSpeed, m_maintainAltitude};
}
