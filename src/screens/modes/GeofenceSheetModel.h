#pragma once

#include "FeatureSheetModel.h"

// The custom geofence sheet: the enabled flag and the radius both belong to the presenter and
// are edited in place; the two warning options are the sheet's own.
class GeofenceSheetModel : public FeatureSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString radiusField READ radiusField WRITE setRadiusField NOTIFY radiusChanged)
    Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(bool alertWhenNear READ alertWhenNear WRITE setAlertWhenNear NOTIFY alertWhenNearChanged)
    Q_PROPERTY(bool autoReturn READ autoReturn WRITE setAutoReturn NOTIFY autoReturnChanged)
    Q_PROPERTY(QVariantMap radiusRange READ radiusRange CONSTANT)

public:
    static constexpr double kMinRadius = 50, kMaxRadius = 2000;
    static constexpr double kFallbackRadius = 500; // only without a presenter
    static constexpr bool kInitialAlert = true;
    static constexpr bool kInitialAutoReturn = true;

    explicit GeofenceSheetModel(QObject *parent = nullptr);

    QString radiusField() const { return m_radiusField.name; }
    void setRadiusField(const QString &field);
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

protected:
    QVariantMap modeSettings() const override;
    void presenterRewired() override;

private:
    PresenterField m_radiusField;
    double m_localRadius = kFallbackRadius;
    bool m_alertWhenNear = kInitialAlert;
    bool m_autoReturn = kInitialAutoReturn;
};
