#pragma once

#include "FeatureSheetModel.h"
#include "ModeTypes.h"

// The ActiveTrack sheet: mode, speed, distance and obstacle avoidance of its own; the tracking
// flag is the presenter's.
class ActiveTrackSheetModel : public FlagSheetModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int trackingMode READ trackingModeIndex WRITE setTrackingModeIndex NOTIFY trackingModeChanged)
    Q_PROPERTY(double trackingSpeed READ trackingSpeed WRITE setTrackingSpeed NOTIFY trackingSpeedChanged)
    Q_PROPERTY(double trackingDistance READ trackingDistance WRITE setTrackingDistance NOTIFY trackingDistanceChanged)
    Q_PROPERTY(bool obstacleAvoidance READ obstacleAvoidance WRITE setObstacleAvoidance NOTIFY obstacleAvoidanceChanged)
    Q_PROPERTY(QVariantList modeOptions READ modeOptions CONSTANT)
    Q_PROPERTY(QVariantMap speedRange READ speedRange CONSTANT)
    Q_PROPERTY(QVariantMap distanceRange READ distanceRange CONSTANT)

public:
    static constexpr DJIActiveTrackSettings kInitial{};
    static constexpr double kInitialSpeed = kInitial.speed, kMinSpeed = 1, kMaxSpeed = 15;
    static constexpr double kInitialDistance = kInitial.distance, kMinDistance = 3, kMaxDistance = 30;

    explicit ActiveTrackSheetModel(QObject *parent = nullptr);

    ActiveTrackMode trackingMode() const { return m_trackingMode; }
    int trackingModeIndex() const { return int(m_trackingMode); }
    void setTrackingModeIndex(int index);
    double trackingSpeed() const { return m_trackingSpeed; }
    void setTrackingSpeed(double v);
    double trackingDistance() const { return m_trackingDistance; }
    void setTrackingDistance(double v);
    bool obstacleAvoidance() const { return m_obstacleAvoidance; }
    void setObstacleAvoidance(bool v);
    static QVariantList modeOptions() { return ActiveTrackModeInfo::options(); }
    static QVariantMap speedRange() { return range(kMinSpeed, kMaxSpeed); }
    static QVariantMap distanceRange() { return range(kMinDistance, kMaxDistance); }

Q_SIGNALS:
    void trackingModeChanged();
    void trackingSpeedChanged();
    void trackingDistanceChanged();
    void obstacleAvoidanceChanged();

public:
    DJIModeSettings modeSettings() const override;

private:
    ActiveTrackMode m_trackingMode = kInitial.mode;
    double m_trackingSpeed = kInitialSpeed;
    double m_trackingDistance = kInitialDistance;
    bool m_obstacleAvoidance = kInitial.obstacleAvoidance;
};
