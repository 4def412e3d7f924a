#pragma once

#include "MissionBreakpoint.h"

#include <QObject>
#include <QPointer>

#include <optional>

class DJIDroneManager;
struct DJIPhotoCapture;
class FlightStore;

// Keeps a mission's breakpoint in the flight store while a stretch of it flies: at every
// waypoint the aircraft reaches and every photo its camera reports, each write committed before
// the next reading, so a killed app, a lost link or a dead phone lose at most what came after
// the last photo.
class MissionBreakpointKeeper : public QObject
{
    Q_OBJECT
public:
    // Neither the manager nor the store is owned; the keeper stops when either goes.
    MissionBreakpointKeeper(DJIDroneManager *drone, FlightStore *store, QObject *parent = nullptr);

    // The aircraft was sent `stretch` of `plan`; `from` is the breakpoint it carries on (its
    // hash, name, part and photo count; a new mission's for its first part).
    void follow(const DJIWaypointMission &plan, const zeltrin::survey::MissionStretch &stretch,
                zeltrin::survey::MissionBreakpoint from);
    // Stops following (the breakpoint stays in the store).
    void stop();
    bool isFollowing() const { return m_active; }
    const zeltrin::survey::MissionBreakpoint &breakpoint() const { return m_bp; }
    // Whether the stretch was flown to its last waypoint.
    bool stretchDone() const { return m_done; }

Q_SIGNALS:
    // The breakpoint moved on and was written (or could not be: see the store's errorText).
    void breakpointChanged();
    // The stretch's last waypoint was reached.
    void stretchFinished();
    // No longer following: the stretch is over, or another mission took its place.
    void stopped();

private:
    void reading();
    void progress();
    void photo(const DJIPhotoCapture &capture);
    void write();

    QPointer<DJIDroneManager> m_drone;
    QPointer<FlightStore> m_store;
    DJIWaypointMission m_plan;
    std::optional<zeltrin::survey::MissionPath> m_path;
    zeltrin::survey::MissionStretch m_stretch;
    zeltrin::survey::MissionBreakpoint m_bp;
    bool m_active = false;
    bool m_started = false; // the aircraft reported this stretch executing
    bool m_ending = false;  // it reported the stretch over: until its next reading
    bool m_done = false;
};
