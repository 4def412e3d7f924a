#include "OrbitSheetModel.h"

OrbitSheetModel::OrbitSheetModel(QObject *parent)
    : FeatureSheetModel(QStringLiteral("Start Orbit"), QStringLiteral("Stop Orbit"), parent)
{
}

void OrbitSheetModel::setOrbitRadius(double v) { assignClamped(m_orbitRadius, v, kMinRadius, kMaxRadius); Q_EMIT orbitRadiusChanged(); }
void OrbitSheetModel::setRotationSpeed(double v) { assignClamped(m_rotationSpeed, v, kMinSpeed, kMaxSpeed); Q_EMIT rotationSpeedChanged(); }
void OrbitSheetModel::setMaintainAltitude(bool v) { m_maintainAltitude = v; Q_EMIT maintainAltitudeChanged(); }

QVariantMap OrbitSheetModel::modeSettings() const
{
    return {{QStringLiteral("radius"), m_orbitRadius},
            {QStringLiteral("speed"), m_rotationSpeed},
            {QStringLiteral("maintainAltitude"), m_maintainAltitude}};
}
