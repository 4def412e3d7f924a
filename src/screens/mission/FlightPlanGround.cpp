#include "FlightPlanModel.h"

#include "AircraftEnergyModel.h"
#include "FlightRecord.h"
#include "NumberFormat.h"
#include "SurveyFlight.h"

// What the plan rests on: the ground under it, and the battery.

void FlightPlanModel::setGround(const ElevationSource *ground)
{
    if (m_ground == ground)
        return;
    m_ground = ground;
    Q_EMIT groundChanged();
}

std::optional<zeltrin::Coordinate> FlightPlanModel::takeOffPoint() const
{
    if (!m_drone || !m_drone->hasHome())
        return std::nullopt;
    return zeltrin::Coordinate{m_drone->homeLatitude(), m_drone->homeLongitude()};
}

std::optional<double> FlightPlanModel::takeOffGround(const zeltrin::MissionPlan &plan) const
{
    if (!m_ground)
        return std::nullopt;
    std::optional<zeltrin::Coordinate> at = takeOffPoint();
    if (!at && plan.plannedHome)
        at = plan.plannedHome->position;
    if (!at && !plan.waypoints.isEmpty())
        at = plan.waypoints.constFirst();
    return at ? m_ground->heightAt(at->latitude, at->longitude) : std::nullopt;
}

// What the plan asks of the battery, flown as one flight: from the take-off point (the first
// waypoint until the aircraft has a home) through every waypoint and back, at the mission's
// speed, with the climb to and the descent from its altitude and a stop at each waypoint.

std::optional<int> FlightPlanModel::batteriesNeeded() const
{
    const QList<zeltrin::Coordinate> &points = m_waypoints.coordinates();
    if (points.isEmpty())
        return std::nullopt;
    const zeltrin::Coordinate home = takeOffPoint().value_or(points.constFirst());
    double distance = 0;
    zeltrin::Coordinate at = home;
    for (const zeltrin::Coordinate &c : points) {
        distance += zeltrin::haversineMetres(at.latitude, at.longitude, c.latitude, c.longitude);
        at = c;
    }
    distance += zeltrin::haversineMetres(at.latitude, at.longitude, home.latitude, home.longitude);
    FlightEnergyDemand demand;
    demand.distance = distance;
    demand.speed = m_speed;
    demand.climb = m_altitude;
    demand.descent = m_altitude;
    demand.hoverSeconds = double(points.size()) * zeltrin::survey::kTurnAllowance;
    return ::batteriesNeeded(AircraftEnergyModel::simulated(), demand);
}

std::optional<MissionBatteries::Request> FlightPlanModel::batteryRequest() const
{
    const std::optional<DJIReturnProfile> profile = m_drone ? m_drone->returnProfile() : std::nullopt;
    if (!m_multiBattery || waypointCount() == 0 || !profile)
        return std::nullopt;
    MissionBatteries::Request r;
    r.mission = aircraftMission();
    const auto &followed = m_terrainPlan.waypoints();
    if (m_terrain && !followed.empty()) {
        for (const MissionTerrain::Waypoint &w : followed)
            r.rows.push_back(w.from);
    } else {
        for (int i = 0; i < waypointCount(); ++i)
            r.rows.push_back(i);
    }
    r.input.home = takeOffPoint().value_or(m_waypoints.coordinates().constFirst());
    r.input.profile = *profile;
    r.input.wind = m_drone->wind();
    return r;
}

QString FlightPlanModel::batteryNote() const
{
    if (m_batteries.refusal().isEmpty() && m_batteries.partCount() > 1)
        return zeltrin::format("%d batteries, each part's start marked. The aircraft comes home at the end of each "
                               "part; change the battery and resume.",
                               m_batteries.partCount());
    return {};
}

void FlightPlanModel::batteryPartsChanged()
{
    Q_EMIT bannersChanged();
    QHash<int, int> starts;
    for (const MissionBatteries::Start &s : m_batteries.starts())
        starts.insert(s.row, s.part);
    m_waypoints.setBatteryStarts(starts);
}

QString FlightPlanModel::batteryRefusal() const
{
    if (m_multiBattery)
        return m_batteries.refusal();
    const std::optional<int> needed = batteriesNeeded();
    if (!needed || *needed <= 1)
        return {};
    return zeltrin::format(
        "This mission needs %d batteries, and one flies only part of it. Make it shorter, or turn on Multi-Battery to fly it a battery at a time.",
        *needed);
}

void FlightPlanModel::setElevation(ElevationData *elevation)
{
    if (m_elevation == elevation)
        return;
    if (m_elevation)
        m_elevation->disconnect(this);
    m_elevation = elevation;
    auto follow = [this] { setGround(m_elevation ? m_elevation->source() : nullptr); };
    if (elevation)
        connect(elevation, &ElevationData::groundChanged, this, [this, follow] {
            // The same source with new areas in it: whatever rests on it is worked again.
            setGround(nullptr);
            follow();
        });
    follow();
    Q_EMIT elevationChanged();
}

void FlightPlanModel::setMultiBattery(MultiBatteryMission *multi)
{
    if (m_multi == multi)
        return;
    if (m_multi)
        QObject::disconnect(m_multi, nullptr, this, nullptr);
    m_multi = multi;
    if (multi) {
        connect(multi, &MultiBatteryMission::changed, this, &FlightPlanModel::multiBatteryChanged);
        connect(multi, &MultiBatteryMission::refused, this, &FlightPlanModel::setUploadMessage);
    }
    Q_EMIT multiBatteryChanged();
}

bool FlightPlanModel::flyInParts()
{
    if (!m_multi || !m_multiBattery || m_batteries.partCount() < 2)
        return false;
    m_multi->start(m_upload.mission, m_batteries.plan().parts,
                   hasSurvey() ? QStringLiteral("Survey") : QStringLiteral("Mission"));
    return true;
}

// With the planner empty (the app started anew), the plan kept with the breakpoint is flown.
void FlightPlanModel::resumeMission()
{
    if (!m_multi || m_uploading)
        return;
    if (waypointCount() == 0) {
        setUploadMessage(m_multi->resume(std::nullopt, {}));
        return;
    }
    m_terrainPlan.settle();
    m_batteries.settle();
    setUploadMessage(m_multi->resume(aircraftMission(), m_batteries.plan().parts));
}
