#include "GeofenceSheetModel.h"

// No start/stop button here: the enable toggle takes its place, so the titles go unused.
GeofenceSheetModel::GeofenceSheetModel(QObject *parent)
    : FeatureSheetModel(DJIIntelligentMode::geofence, QString(), QString(), parent)
{
}

void GeofenceSheetModel::setLink(GeofenceLink *link)
{
    QObject::disconnect(m_radiusConnection);
    m_fenceLink = link;
    attach(link);
    if (link)
        m_radiusConnection = connect(link, &GeofenceLink::radiusChanged, this, &GeofenceSheetModel::radiusTouched);
    Q_EMIT radiusChanged();
}

// The radius is a setting too, whoever changes it.
void GeofenceSheetModel::radiusTouched()
{
    Q_EMIT radiusChanged();
    settingTouched();
}

double GeofenceSheetModel::radius() const
{
    return m_fenceLink ? m_fenceLink->radius() : m_localRadius;
}

void GeofenceSheetModel::setRadius(double v)
{
    if (m_fenceLink) {
        m_fenceLink->setRadius(v); // its notification comes back through radiusTouched
        return;
    }
    assignClamped(m_localRadius, v, kMinRadius, kMaxRadius);
    Q_EMIT radiusChanged();
}

void GeofenceSheetModel::setAlertWhenNear(bool v)
{
    m_alertWhenNear = v;
    Q_EMIT alertWhenNearChanged();
    settingTouched();
}

void GeofenceSheetModel::setAutoReturn(bool v)
{
    m_autoReturn = v;
    Q_EMIT autoReturnChanged();
    settingTouched();
}

DJIModeSettings GeofenceSheetModel::modeSettings() const
{
    return DJIGeofenceSettings{radius(), m_autoReturn, m_alertWhenNear};
}
