#include "GeofenceSheetModel.h"

// No start/stop button here: the enable toggle takes its place, so the titles go unused.
GeofenceSheetModel::GeofenceSheetModel(QObject *parent) : FeatureSheetModel(QString(), QString(), parent) {}

void GeofenceSheetModel::setRadiusField(const QString &field)
{
    m_radiusField.name = field;
    presenterRewired();
}

void GeofenceSheetModel::presenterRewired()
{
    watch(m_radiusField, SIGNAL(radiusChanged()));
    Q_EMIT radiusChanged();
}

double GeofenceSheetModel::radius() const
{
    const QVariant v = read(m_radiusField);
    return v.isValid() ? v.toDouble() : m_localRadius;
}

void GeofenceSheetModel::setRadius(double v)
{
    double clamped = radius();
    assignClamped(clamped, v, kMinRadius, kMaxRadius);
    if (write(m_radiusField, clamped)) {
        if (!m_radiusField.connection)
            Q_EMIT radiusChanged();
        return;
    }
    m_localRadius = clamped;
    Q_EMIT radiusChanged();
}

void GeofenceSheetModel::setAlertWhenNear(bool v) { m_alertWhenNear = v; Q_EMIT alertWhenNearChanged(); }
void GeofenceSheetModel::setAutoReturn(bool v) { m_autoReturn = v; Q_EMIT autoReturnChanged(); }

QVariantMap GeofenceSheetModel::modeSettings() const
{
    return {{QStringLiteral("radius"), radius()},
            {QStringLiteral("alertWhenNear"), m_alertWhenNear},
            {QStringLiteral("autoReturn"), m_autoReturn}};
}
