#include "POISheetModel.h"

POISheetModel::POISheetModel(QObject *parent)
    : FeatureSheetModel(QStringLiteral("Start POI Mode"), QStringLiteral("Stop POI Mode"), parent)
{
}

void POISheetModel::setTargetField(const QString &field)
{
    m_target.name = field;
    presenterRewired();
}

void POISheetModel::presenterRewired()
{
    watch(m_target, SIGNAL(targetChanged()));
    Q_EMIT targetChanged();
}

void POISheetModel::setRadius(double v) { assignClamped(m_radius, v, kMinRadius, kMaxRadius); Q_EMIT radiusChanged(); }
void POISheetModel::setAltitude(double v) { assignClamped(m_altitude, v, kMinAltitude, kMaxAltitude); Q_EMIT altitudeChanged(); }
void POISheetModel::setSpeed(double v) { assignClamped(m_speed, v, kMinSpeed, kMaxSpeed); Q_EMIT speedChanged(); }

void POISheetModel::setDirectionIndex(int index)
{
    if (index >= 0 && index < int(POIDirectionInfo::allCases.size()))
        m_direction = POIDirectionInfo::allCases[size_t(index)];
    Q_EMIT directionChanged();
}

QVariantMap POISheetModel::modeSettings() const
{
    return {{QStringLiteral("radius"), m_radius},
            {QStringLiteral("altitude"), m_altitude},
            {QStringLiteral("speed"), m_speed},
            {QStringLiteral("clockwise"), m_direction == POIDirection::clockwise}};
}
