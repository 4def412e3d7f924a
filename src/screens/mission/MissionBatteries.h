#pragma once

#include "BatteryParts.h"
#include "Coordinate.h"
#include "DJIWaypointMission.h"

#include <QObject>
#include <QQmlEngine>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

// With Multi-Battery on, where each battery's part of the plan ends: worked out from the mission
// as the aircraft is handed it (heights over the ground included), the aircraft's own figures for
// flying and getting home (through its SDK), the wind it reports and the return-to-home reserve.
// Worked again after any edit, once per turn of the event loop. No aircraft figures: no parts (an
// estimate made up here would be a guess shown as a fact).
class MissionBatteries : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("part of the flight plan")
    // Parts worked out (0: none, Multi-Battery off, or the aircraft's figures unknown).
    Q_PROPERTY(int partCount READ partCount NOTIFY changed)
    // Why the plan cannot be split into parts one battery each can fly, else empty.
    Q_PROPERTY(QString refusal READ refusal NOTIFY changed)
public:
    struct Request {
        DJIWaypointMission mission;
        std::vector<int> rows; // each mission waypoint's row in the plan (-1: added for the ground)
        zeltrin::survey::BatteryPartsInput input;
    };
    // Where a part after the first starts its work: the place, its number (2, 3, …), and the
    // plan's row it starts at or after.
    struct Start {
        zeltrin::Coordinate at;
        int part = 0;
        int row = 0;
    };
    using Source = std::function<std::optional<Request>()>;

    explicit MissionBatteries(QObject *parent = nullptr);
    void setSource(Source source) { m_source = std::move(source); }
    void schedule();
    // Works the parts out now if an edit is waiting (the upload asks before it sends).
    void settle();

    int partCount() const { return int(m_plan.parts.size()); }
    QString refusal() const { return m_plan.refusal; }
    const zeltrin::survey::BatteryPartsPlan &plan() const { return m_plan; }
    const std::vector<Start> &starts() const { return m_starts; }
    // "Battery 2 starts here".
    static QString startText(int part);

Q_SIGNALS:
    void changed();

private:
    void compute();
    Source m_source;
    QTimer m_pending;
    zeltrin::survey::BatteryPartsPlan m_plan;
    std::vector<Start> m_starts;
};
