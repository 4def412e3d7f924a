#pragma once

#include "FeatureSheetModel.h"

// The custom geofence sheet: the enabled flag and the radius both belong to the presenter's link
// and are edited in place; the two warning options are the sheet's own.
class GeofenceSheetModel : public FeatureSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(GeofenceLink *link READ link WRITE setLink NOTIFY linkChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool alertWhenNear READ alertWhenNear WRITE setAlertWhenNear NOTIFY alertWhenNearChanged)
    Q_PROPERTY(bool autoReturn READ autoReturn WRITE setAutoReturn NOTIFY autoReturnChanged)
    Q_PROPERTY(QVariantMap radiusRange READ radiusRange CONSTANT)

public:
    static constexpr DJIGeofenceSettings kInitial{};
    static constexpr double kMinRadius = GeofenceLink::kMinRadius, kMaxRadius = GeofenceLink::kMaxRadius;
    static constexpr double kFallbackRadius = kInitial.radius; // only without a presenter
    static constexpr bool kInitialAlert = kInitial.alertWhenNear;
    static constexpr bool kInitialAutoReturn = kInitial.autoReturn;

    explicit GeofenceSheetModel(QObject *parent = nullptr);

    GeofenceLink *link() const { return m_fenceLink; }
    void setLink(GeofenceLink *link);
    double radius() const;
    void setRadius(double v);
    bool alertWhenNear() const { return m_alertWhenNear; }
    void setAlertWhenNear(bool v);
    bool autoReturn() const { return m_autoReturn; }
    void setAutoReturn(bool v);
    static QVariantMap radiusRange() { return range(kMinRadius, kMaxRadius); }

Q_SIGNALS:
    void radiusChanged();
    void alertWhenNearChanged();
    void autoReturnChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    void radiusTouched();

    QPointer<GeofenceLink> m_fenceLink;
    QMetaObject::Connection m_radiusConnection;
    double m_localRadius = kFallbackRadius;
    bool m_alertWhenNear = kInitialAlert;
    bool m_autoReturn = kInitialAutoReturn;
};
