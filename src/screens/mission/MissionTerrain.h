#pragma once

#include "Coordinate.h"
#include "DJIWaypointMission.h"
#include "ElevationSource.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QQmlEngine>
#include <QTimer>

#include <optional>
#include <utility>
#include <vector>

// The plan over the ground, with terrain follow on: the heights each waypoint is flown at so the
// aircraft keeps its height over the ground (waypoints added where the ground asks), the
// clearance profile along the whole mission, and why the plan cannot be followed when it cannot
// (ground unknown under a leg, no ground under the take-off point). Worked again after any edit,
// once per turn of the event loop, so a drag costs one planning per frame.
class MissionTerrain : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("part of the flight plan")
    Q_PROPERTY(bool active READ active NOTIFY changed)
    Q_PROPERTY(bool followable READ followable NOTIFY changed)
    Q_PROPERTY(QString note READ note NOTIFY changed)
    // Metres along the mission → metres above the take-off point.
    Q_PROPERTY(QList<QPointF> groundProfile READ groundProfile NOTIFY changed)
    Q_PROPERTY(QList<QPointF> pathProfile READ pathProfile NOTIFY changed)
    Q_PROPERTY(double profileLow READ profileLow NOTIFY changed)
    Q_PROPERTY(double profileHigh READ profileHigh NOTIFY changed)
    Q_PROPERTY(QString lowestClearanceText READ lowestClearanceText NOTIFY changed)
    Q_PROPERTY(QString datumText READ datumText NOTIFY changed)
    // How far the height over the ground may stray from the mission altitude, m (0.5 to 20).
    Q_PROPERTY(double tolerance READ tolerance WRITE setTolerance NOTIFY toleranceChanged)
public:
    struct Input {
        bool on = false;
        QList<zeltrin::Coordinate> waypoints;
        double height = 50;                         // m over the ground
        double speed = 8;                           // m/s
        std::optional<zeltrin::Coordinate> takeOff; // none: the first waypoint
        const ElevationSource *ground = nullptr;
        bool operator==(const Input &) const = default;
    };
    using Leg = std::pair<zeltrin::Coordinate, zeltrin::Coordinate>;

    explicit MissionTerrain(QObject *parent = nullptr);

    void setInput(Input input);
    // Works the plan out now if an edit is waiting (the upload asks before it sends).
    void settle();

    bool active() const { return m_input.on && !m_input.waypoints.isEmpty(); }
    bool followable() const { return m_followable; }
    QString note() const { return m_note; }
    QList<QPointF> groundProfile() const { return m_ground; }
    QList<QPointF> pathProfile() const { return m_path; }
    double profileLow() const { return m_low; }
    double profileHigh() const { return m_high; }
    QString lowestClearanceText() const { return m_lowest; }
    QString datumText() const;
    double tolerance() const { return m_tolerance; }
    void setTolerance(double metres);
    const std::vector<Leg> &unknownLegs() const { return m_unknownLegs; }

    // The waypoints to fly, heights above the take-off point: the plan's own, each with where it
    // came from in the plan (its position), and the added ones (-1). Empty unless followable.
    struct Waypoint {
        zeltrin::Coordinate at;
        double height = 0;
        int from = -1;
    };
    const std::vector<Waypoint> &waypoints() const { return m_waypoints; }

Q_SIGNALS:
    void changed();
    void toleranceChanged();

private:
    void compute();

    Input m_input;
    double m_tolerance = 2.0;
    QTimer m_pending;
    bool m_followable = false;
    QString m_note;
    QList<QPointF> m_ground, m_path;
    double m_low = 0, m_high = 1;
    QString m_lowest;
    std::vector<Leg> m_unknownLegs;
    std::vector<Waypoint> m_waypoints;
};
