#include "POISheetModel.h"

#include <QVariantMap>

POISheetModel::POISheetModel(QObject *parent)
    : FeatureSheetModel(DJIIntelligentMode::pointOfInterest, QStringLiteral("Start POI Mode"),
                        QStringLiteral("Stop POI Mode"), parent)
{
}

void POISheetModel::setLink(PointOfInterestLink *link)
{
    QObject::disconnect(m_targetConnection);
    m_poiLink = link;
    attach(link);
    if (link)
        m_targetConnection = connect(link, &PointOfInterestLink::targetChanged, this, &POISheetModel::targetChanged);
    Q_EMIT targetChanged();
}

QVariant POISheetModel::target() const
{
    const auto t = m_poiLink ? m_poiLink->target() : std::nullopt;
    if (!t)
        return {};
    return QVariantMap{{QStringLiteral("latitude"), t->latitude}, {QStringLiteral("longitude"), t->longitude}};
}

void POISheetModel::setRadius(double v)
{
    assignClamped(m_radius, v, kMinRadius, kMaxRadius);
    Q_EMIT radiusChanged();
    settingTouched();
}

void POISheetModel::setAltitude(double v)
{
    assignClamped(m_altitude, v, kMinAltitude, kMaxAltitude);
    Q_EMIT altitudeChanged();
    settingTouched();
}

void POISheetModel::setSpeed(double v)
{
    assignClamped(m_speed, v, kMinSpeed, kMaxSpeed);
    Q_EMIT speedChanged();
    settingTouched();
}

void POISheetModel::setDirectionIndex(int index)
{
    if (index >= 0 && index < int(POIDirectionInfo::allCases.size()))
        m_direction = POIDirectionInfo::allCases[size_t(index)];
    Q_EMIT directionChanged();
    settingTouched();
}

// The target is the presenter's: its link adds it.
DJIModeSettings POISheetModel::modeSettings() const
{
    DJIPointOfInterestSettings s;
    s.radius = m_radius;
    s.altitude = m_altitude;
    s.speed = m_speed;
    s.direction = m_direction;
    return s;
}
