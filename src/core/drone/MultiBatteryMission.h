#pragma once

#include "BatteryParts.h"
#include "DJISDKManager.h"
#include "MissionBreakpointKeeper.h"

#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

class DJIDroneManager;
class FlightStore;

// A mission flown a battery at a time: each part sent as a stretch that comes home at its end,
// its breakpoint kept in the flight store, and what the pilot is told between parts. A mission
// waiting for its next part outlives the app: the store keeps its breakpoint.
class MultiBatteryMission : public QObject
{
    Q_OBJECT
    // "Change the battery to continue: part 2 of 3" while a mission waits on the ground, else empty.
    Q_PROPERTY(QString changeBatteryText READ changeBatteryText NOTIFY changed)
    // A mission waits for its next part (or for the rest of one cut short).
    Q_PROPERTY(bool resumable READ resumable NOTIFY changed)
    // Photos taken again at a resume for the overlap: 1 unless set.
    Q_PROPERTY(int backStep READ backStep WRITE setBackStep NOTIFY changed)
public:
    // Neither is owned; with either gone nothing is flown.
    MultiBatteryMission(DJIDroneManager *drone, FlightStore *store, QObject *parent = nullptr);

    // Flies the first part of `plan`, split as `parts`.
    void start(const DJIWaypointMission &plan, const std::vector<zeltrin::survey::BatteryPart> &parts,
               const QString &name);
    // Carries the waiting mission on: `plan` is the planner's, which must be the one it began with,
    // split as `parts`; with none, the plan kept in the store, split from the aircraft's figures
    // (to its end when it gives none). The refusal, for the pilot, or empty when sent.
    QString resume(const std::optional<DJIWaypointMission> &plan, std::vector<zeltrin::survey::BatteryPart> parts);

    QString changeBatteryText() const { return m_text; }
    bool resumable() const { return m_waiting.has_value() && !m_keeper.isFollowing(); }
    int backStep() const { return m_backStep; }
    void setBackStep(int photos);
    const std::optional<zeltrin::survey::MissionBreakpoint> &waiting() const { return m_waiting; }
    const MissionBreakpointKeeper &keeper() const { return m_keeper; }

Q_SIGNALS:
    void changed();
    // The aircraft refused a part; `reason` is for the pilot.
    void refused(const QString &reason);

private:
    void send(const DJIWaypointMission &plan, const zeltrin::survey::MissionStretch &stretch,
              const zeltrin::survey::MissionBreakpoint &from);
    void refresh();
    std::vector<zeltrin::survey::BatteryPart> partsOf(const DJIWaypointMission &plan) const;

    QPointer<DJIDroneManager> m_drone;
    QPointer<FlightStore> m_store;
    MissionBreakpointKeeper m_keeper;
    std::optional<zeltrin::survey::MissionBreakpoint> m_waiting;
    QString m_text;
    bool m_wasFlying = false, m_wasResumable = false;
    int m_backStep = 1;
};
