#pragma once

#include "FeatureSheetModel.h"

// The orbit sheet: radius, rotation speed and altitude hold of its own; the enabled flag is
// the presenter's.
class OrbitSheetModel : public FlagSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(double orbitRadius READ orbitRadius WRITE setOrbitRadius NOTIFY orbitRadiusChanged)
    Q_PROPERTY(double rotationSpeed READ rotationSpeed WRITE setRotationSpeed NOTIFY rotationSpeedChanged)
    Q_PROPERTY(bool maintainAltitude READ maintainAltitude WRITE setMaintainAltitude NOTIFY maintainAltitudeChanged)
    Q_PROPERTY(QVariantMap radiusRange READ radiusRange CONSTANT)
    Q_PROPERTY(QVariantMap speedRange READ speedRange CONSTANT)

public:
    static constexpr DJIOrbitSettings kInitial{};
    static constexpr double kInitialRadius = kInitial.radius, kMinRadius = 5, kMaxRadius = 100;
    static constexpr double kInitialSpeed = kInitial.speed, kMinSpeed = 1, kMaxSpeed = 15;
    static constexpr bool kInitialMaintainAltitude = kInitial.maintainAltitude;

    explicit OrbitSheetModel(QObject *parent = nullptr);

    double orbitRadius() const { return m_orbitRadius; }
    void setOrbitRadius(double v);
    double rotationSpeed() const { return m_rotationSpeed; }
    void setRotationSpeed(double v);
    bool maintainAltitude() const { return m_maintainAltitude; }
    void setMaintainAltitude(bool v);
    static QVariantMap radiusRange() { return range(kMinRadius, kMaxRadius); }
    static QVariantMap speedRange() { return range(kMinSpeed, kMaxSpeed); }

Q_SIGNALS:
    void orbitRadiusChanged();
    void rotationSpeedChanged();
    void maintainAltitudeChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    double m_orbitRadius = kInitialRadius;
    double m_rotationSpeed = kInitialSpeed;
    bool m_maintainAltitude = kInitialMaintainAltitude;
};
