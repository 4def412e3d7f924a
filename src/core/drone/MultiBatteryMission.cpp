#include "MultiBatteryMission.h"

#include "DJIDroneManager.h"
#include "FlightStore.h"
#include "NumberFormat.h"

using namespace zeltrin::survey;

MultiBatteryMission::MultiBatteryMission(DJIDroneManager *drone, FlightStore *store, QObject *parent)
    : QObject(parent), m_drone(drone), m_store(store), m_keeper(drone, store)
{
    connect(&m_keeper, &MissionBreakpointKeeper::breakpointChanged, this, [this] {
        const MissionBreakpoint &bp = m_keeper.breakpoint();
        m_waiting = bp.finished ? std::nullopt : std::optional(bp);
        refresh();
    });
    connect(&m_keeper, &MissionBreakpointKeeper::stopped, this, &MultiBatteryMission::refresh);
    // Announced with every reading: the text is worked again only when it may change.
    connect(drone, &DJIDroneManager::isFlyingChanged, this, [this] {
        if (m_drone && m_drone->isFlying() != m_wasFlying)
            refresh();
    });
    m_waiting = store ? store->openBreakpoint() : std::nullopt;
    refresh();
}

void MultiBatteryMission::setBackStep(int photos)
{
    photos = std::clamp(photos, 0, 10);
    if (photos == m_backStep)
        return;
    m_backStep = photos;
    Q_EMIT changed();
}

void MultiBatteryMission::start(const DJIWaypointMission &plan, const std::vector<BatteryPart> &parts,
                                const QString &name)
{
    MissionBreakpoint bp;
    bp.planHash = missionHash(plan);
    bp.name = name;
    bp.partCount = std::max(int(parts.size()), 1);
    if (m_store) { // flown anew: whatever was kept of it goes
        m_store->removeBreakpoint(bp.planHash);
        m_store->saveMissionPlan(bp.planHash, missionToJson(plan));
    }
    const int last = parts.empty() ? int(plan.waypoints.size()) - 1 : parts.front().last;
    send(plan, missionStretch(plan, {0, 0}, last), bp);
}

QString MultiBatteryMission::resume(const std::optional<DJIWaypointMission> &planned, std::vector<BatteryPart> parts)
{
    if (!m_waiting)
        return QStringLiteral("No mission is waiting to be resumed.");
    MissionBreakpoint bp = *m_waiting;
    DJIWaypointMission plan;
    if (planned) {
        plan = *planned;
    } else {
        QString error;
        const std::optional<DJIWaypointMission> kept = missionFromJson(
            m_store ? m_store->missionPlan(bp.planHash) : QByteArray(), &error);
        if (!kept)
            return error;
        plan = *kept;
        parts = partsOf(plan);
    }
    // The part the breakpoint is in ends the stretch.
    int last = -1;
    for (size_t k = 0; k < parts.size() && last < 0; ++k)
        if (isBefore(bp.reached, {parts[k].last, 0})) {
            last = parts[k].last;
            bp.part = int(k) + 1;
            bp.partCount = int(parts.size());
        }
    const MissionStretch stretch = resumeStretch(plan, bp, m_backStep, last);
    if (!stretch.refusal.isEmpty())
        return stretch.refusal;
    send(plan, stretch, bp);
    return {};
}

std::vector<BatteryPart> MultiBatteryMission::partsOf(const DJIWaypointMission &plan) const
{
    const std::optional<DJIReturnProfile> profile = m_drone ? m_drone->returnProfile() : std::nullopt;
    if (!profile || plan.waypoints.isEmpty())
        return {};
    BatteryPartsInput in;
    in.home = m_drone->hasHome() ? zeltrin::Coordinate{m_drone->homeLatitude(), m_drone->homeLongitude()}
                                 : zeltrin::Coordinate{plan.waypoints[0].latitude, plan.waypoints[0].longitude};
    in.profile = *profile;
    in.wind = m_drone->wind();
    return planBatteryParts(plan, in).parts;
}

void MultiBatteryMission::send(const DJIWaypointMission &plan, const MissionStretch &stretch,
                               const MissionBreakpoint &from)
{
    if (!m_drone || !stretch.refusal.isEmpty())
        return;
    m_keeper.follow(plan, stretch, from);
    m_drone->executeMission(stretch.mission, this, [this](const DJICommandError &refusal) {
        if (!refusal)
            return;
        m_keeper.stop();
        refresh();
        Q_EMIT refused(*refusal);
    });
    refresh();
}

void MultiBatteryMission::refresh()
{
    m_wasFlying = m_drone && m_drone->isFlying();
    QString text;
    if (m_waiting && !m_keeper.isFollowing() && m_drone && !m_drone->isFlying())
        text = zeltrin::format("Change the battery to continue: part %d of %d", m_waiting->part,
                               std::max(m_waiting->partCount, m_waiting->part));
    const bool resumable = this->resumable();
    if (text == m_text && resumable == m_wasResumable)
        return;
    m_text = text;
    m_wasResumable = resumable;
    Q_EMIT changed();
}
