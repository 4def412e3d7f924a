#pragma once

#include "FeatureSheetModel.h"
#include "ModeTypes.h"

// The point-of-interest sheet: circling settings of its own, plus the presenter's enabled flag
// and target, which the sheet carries but neither shows nor changes.
class POISheetModel : public FeatureSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PointOfInterestLink *link READ link WRITE setLink NOTIFY linkChanged)
    // {latitude, longitude}, or undefined without a target.
    Q_PROPERTY(QVariant target READ target NOTIFY targetChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(double altitude READ altitude WRITE setAltitude NOTIFY altitudeChanged)
    Q_PROPERTY(double speed READ speed WRITE setSpeed NOTIFY speedChanged)
    Q_PROPERTY(int direction READ directionIndex WRITE setDirectionIndex NOTIFY directionChanged)
    Q_PROPERTY(QVariantList directionOptions READ directionOptions CONSTANT)
    Q_PROPERTY(QVariantMap radiusRange READ radiusRange CONSTANT)
    Q_PROPERTY(QVariantMap altitudeRange READ altitudeRange CONSTANT)
    Q_PROPERTY(QVariantMap speedRange READ speedRange CONSTANT)

public:
    static constexpr DJIPointOfInterestSettings kInitial{};
    static constexpr double kInitialRadius = kInitial.radius, kMinRadius = 5, kMaxRadius = 50;
    static constexpr double kInitialAltitude = kInitial.altitude, kMinAltitude = 5, kMaxAltitude = 100;
    static constexpr double kInitialSpeed = kInitial.speed, kMinSpeed = 1, kMaxSpeed = 10;

    explicit POISheetModel(QObject *parent = nullptr);

    PointOfInterestLink *link() const { return m_poiLink; }
    void setLink(PointOfInterestLink *link);
    QVariant target() const;
    double radius() const { return m_radius; }
    void setRadius(double v);
    double altitude() const { return m_altitude; }
    void setAltitude(double v);
    double speed() const { return m_speed; }
    void setSpeed(double v);
    POIDirection direction() const { return m_direction; }
    int directionIndex() const { return int(m_direction); }
    void setDirectionIndex(int index);
    static QVariantList directionOptions() { return POIDirectionInfo::options(); }
    static QVariantMap radiusRange() { return range(kMinRadius, kMaxRadius); }
    static QVariantMap altitudeRange() { return range(kMinAltitude, kMaxAltitude); }
    static QVariantMap speedRange() { return range(kMinSpeed, kMaxSpeed); }

Q_SIGNALS:
    void targetChanged();
    void radiusChanged();
    void altitudeChanged();
    void speedChanged();
    void directionChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    QPointer<PointOfInterestLink> m_poiLink;
    QMetaObject::Connection m_targetConnection;
    double m_radius = kInitialRadius;
    double m_altitude = kInitialAltitude;
    double m_speed = kInitialSpeed;
    POIDirection m_direction = kInitial.direction;
};
