#include "ActiveTrackSheetModel.h"

ActiveTrackSheetModel::ActiveTrackSheetModel(QObject *parent)
    : FlagSheetModel(DJIIntelligentMode::activeTrack, QStringLiteral("Start ActiveTrack"),
                     QStringLiteral("Stop Tracking"), parent)
{
}

void ActiveTrackSheetModel::setTrackingModeIndex(int index)
{
    if (index >= 0 && index < int(ActiveTrackModeInfo::allCases.size()))
        m_trackingMode = ActiveTrackModeInfo::allCases[size_t(index)];
    Q_EMIT trackingModeChanged();
    settingTouched();
}

void ActiveTrackSheetModel::setTrackingSpeed(double v)
{
    assignClamped(m_trackingSpeed, v, kMinSpeed, kMaxSpeed);
    Q_EMIT trackingSpeedChanged();
    settingTouched();
}

void ActiveTrackSheetModel::setTrackingDistance(double v)
{
    assignClamped(m_trackingDistance, v, kMinDistance, kMaxDistance);
    Q_EMIT trackingDistanceChanged();
    settingTouched();
}

void ActiveTrackSheetModel::setObstacleAvoidance(bool v)
{
    m_obstacleAvoidance = v;
    Q_EMIT obstacleAvoidanceChanged();
    settingTouched();
}

DJIModeSettings ActiveTrackSheetModel::modeSettings() const
{
    return DJIActiveTrackSettings{m_trackingMode, m_trackingSpeed, m_trackingDistance, m_obstacleAvoidance};
}
