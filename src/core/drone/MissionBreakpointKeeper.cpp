#include "MissionBreakpointKeeper.h"

#include "DJIDroneManager.h"
#include "FlightStore.h"

#include <QDateTime>

using namespace zeltrin::survey;

MissionBreakpointKeeper::MissionBreakpointKeeper(DJIDroneManager *drone, FlightStore *store, QObject *parent)
    : QObject(parent), m_drone(drone), m_store(store)
{
    // The flying state is announced with every reading, first; the mission's progress when it
    // moves; then the photos taken since the last reading.
    connect(drone, &DJIDroneManager::isFlyingChanged, this, &MissionBreakpointKeeper::reading);
    connect(drone, &DJIDroneManager::missionProgressChanged, this, &MissionBreakpointKeeper::progress);
    connect(drone, &DJIDroneManager::photoCaptured, this, &MissionBreakpointKeeper::photo);
}

void MissionBreakpointKeeper::follow(const DJIWaypointMission &plan, const MissionStretch &stretch,
                                     MissionBreakpoint from)
{
    m_plan = plan;
    m_path.emplace(plan);
    m_stretch = stretch;
    m_bp = std::move(from);
    m_bp.finished = false;
    // Until the aircraft reports the stretch, the readings still tell of whatever flew before.
    m_active = true;
    m_ending = false;
    m_started = false;
    m_done = false;
    if (isBefore(m_bp.reached, stretch.start)) {
        m_bp.reached = stretch.start;
        m_bp.camera = cameraStateAfter(plan, stretch.start.leg - (stretch.start.fraction > 0 ? 0 : 1));
    }
    write();
}

void MissionBreakpointKeeper::stop()
{
    if (!m_active)
        return;
    m_active = false;
    Q_EMIT stopped();
}

void MissionBreakpointKeeper::progress()
{
    if (!m_active || !m_drone || m_ending)
        return;
    const DJIMissionProgress p = m_drone->missionProgress();
    const int count = int(m_stretch.mission.waypoints.size());
    using State = DJIMissionProgress::State;
    if (!m_started) {
        m_started = p.state == State::executing && p.waypointCount == count;
        if (!m_started)
            return;
    }
    if (p.waypointCount != count) // another mission took its place
        return stop();
    // The last waypoint passed, in the stretch's numbering, and where that is on the plan.
    const int passed = p.state == State::finished ? count - 1 : p.currentWaypoint - 1;
    if (passed >= 0 && passed < count) {
        const PathPoint at = passed == 0 ? m_stretch.start : PathPoint{m_stretch.start.leg + passed, 0};
        if (isBefore(m_bp.reached, at)) {
            m_bp.reached = at;
            m_bp.camera = cameraStateAfter(m_plan, at.leg);
            m_done = p.state == State::finished;
            m_bp.finished = m_done && m_stretch.last == int(m_plan.waypoints.size()) - 1;
            if (m_done && !m_bp.finished) // a stretch ends with its part
                m_bp.part = std::min(m_bp.part + 1, std::max(m_bp.partCount, 1));
            write();
            if (m_done)
                Q_EMIT stretchFinished();
        }
    }
    // Photos stop with the mission; one taken as it ended is reported after that reading.
    if (p.state == State::stopped || p.state == State::none)
        m_ending = true;
}

void MissionBreakpointKeeper::reading()
{
    if (!m_active || !m_drone)
        return;
    if (m_ending) // the reading after the one that ended the stretch
        return stop();
    if (m_done && !m_drone->isFlying())
        m_ending = true;
}

void MissionBreakpointKeeper::photo(const DJIPhotoCapture &capture)
{
    if (!m_active || !m_started || !m_path)
        return;
    ++m_bp.photos;
    m_bp.lastPhoto = m_path->locate(std::max(m_bp.reached.leg, 0), {capture.latitude, capture.longitude});
    m_bp.photoLatitude = capture.latitude;
    m_bp.photoLongitude = capture.longitude;
    write();
}

void MissionBreakpointKeeper::write()
{
    m_bp.updatedMs = QDateTime::currentMSecsSinceEpoch();
    if (m_store)
        m_store->saveBreakpoint(m_bp);
    Q_EMIT breakpointChanged();
}
