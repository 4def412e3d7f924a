#include "ActiveTrackSheetModel.h"

ActiveTrackSheetModel::ActiveTrackSheetModel(QObject *parent)
    : FeatureSheetModel(QStringLiteral("Start ActiveTrack"), QStringLiteral("Stop Tracking"), parent)
{
}

void ActiveTrackSheetModel::setTrackingModeIndex(int index)
{
    if (index >= 0 && index < int(ActiveTrackModeInfo::allCases.size()))
        m_trackingMode = ActiveTrackModeInfo::allCases[size_t(index)];
    Q_EMIT trackingModeChanged();
}

void ActiveTrackSheetModel::setTrackingSpeed(double v)
{
    assignClamped(m_trackingSpeed, v, kMinSpeed, kMaxSpeed);
    Q_EMIT trackingSpeedChanged();
}

void ActiveTrackSheetModel::setTrackingDistance(double v)
{
    assignClamped(m_trackingDistance, v, kMinDistance, kMaxDistance);
    Q_EMIT trackingDistanceChanged();
}

void ActiveTrackSheetModel::setObstacleAvoidance(bool v) { m_obstacleAvoidance = v; Q_EMIT obstacleAvoidanceChanged(); }

QVariantMap ActiveTrackSheetModel::modeSettings() const
{
    return {{QStringLiteral("trackingMode"), ActiveTrackModeInfo::rawValue(m_trackingMode)},
            {QStringLiteral("speed"), m_trackingSpeed},
            {QStringLiteral("distance"), m_trackingDistance},
            {QStringLiteral("obstacleAvoidance"), m_obstacleAvoidance}};
}
