#pragma once

// A survey of about 2.3 packs over the simulated aircraft's parked point, flown a battery at a
// time with its breakpoint kept in a flight store, and the checks its photos must pass. Shared by
// tst_multibattery and the child process it kills.
#include "BatteryParts.h"
#include "FlightStore.h"
#include "MissionBreakpointKeeper.h"
#include "SimFlight.h"
#include "SurveyMission.h"

#include <algorithm>
#include <map>

namespace multibattery {

using namespace zeltrin;
using namespace zeltrin::survey;

inline Coordinate home()
{
    return {SimulatedDJISDK::kParkedLatitude, SimulatedDJISDK::kParkedLongitude};
}

// 900 × 700 m at 100 m above the take-off point: 16 lines of some 900 m, 2.3 packs of work.
inline DJIWaypointMission plan()
{
    const LocalPlane plane(home());
    SurveySettings spec;
    for (const auto &[east, north] : {std::pair{-450.0, -350.0}, {450.0, -350.0}, {450.0, 350.0}, {-450.0, 350.0}})
        spec.polygon << plane.toGeo({east, north});
    spec.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    spec.height = 100;
    spec.gridAngle = 90;
    DJIWaypointMission m = surveyAircraftMission(spec, planSurvey(spec), 8);
    m.multiBattery = true;
    return m;
}

// The parts a full pack flies, from the aircraft's figures and the wind it has.
inline std::vector<BatteryPart> partsFor(const DJIWaypointMission &m, const FlightModel &aircraft)
{
    BatteryPartsInput in;
    in.home = home();
    in.profile = SimulatedDJISDK::profile();
    in.wind = SimulatedDJISDK::windEstimate(aircraft.wind());
    return planBatteryParts(m, in).parts;
}

// The pilot's side: the app's link, store and keeper over one simulated aircraft.
struct Pilot {
    simflight::Flight f;
    FlightStore store;
    MissionBreakpointKeeper keeper{&f.manager, &store};
    DJIWaypointMission mission = plan();
    std::vector<BatteryPart> parts;
    int automaticReturns = 0; // the aircraft's own, for a low battery or the flight home
    double lowestLanding = 100;

    explicit Pilot(const QString &storePath) : store(storePath)
    {
        QObject::connect(&f.manager, &DJIDroneManager::returnCauseChanged, [this] {
            const DJIReturnCause c = f.manager.returnCause();
            automaticReturns += c == DJIReturnCause::lowBattery || c == DJIReturnCause::smartReturn;
        });
    }
    bool start()
    {
        f.model().setBatteryCharge(100);
        parts = partsFor(mission, f.model());
        return !parts.empty() && f.connectAircraft();
    }
    MissionBreakpoint firstBreakpoint() const
    {
        MissionBreakpoint bp;
        bp.planHash = missionHash(mission);
        bp.name = QStringLiteral("Survey");
        bp.partCount = int(parts.size());
        return bp;
    }
    // The stretch after `bp`: to the end of the part it is in.
    MissionStretch next(MissionBreakpoint &bp, int backStep = 1) const
    {
        size_t k = 0;
        while (k + 1 < parts.size() && !isBefore(bp.reached, {parts[k].last, 0}))
            ++k;
        bp.part = int(k) + 1;
        return resumeStretch(mission, bp, backStep, parts[k].last);
    }
    bool send(const MissionStretch &s, const MissionBreakpoint &from)
    {
        if (!s.refusal.isEmpty())
            return false;
        keeper.follow(mission, s, from);
        f.manager.executeMission(s.mission);
        f.settle();
        return true;
    }
    // Flies until the aircraft is down (or `limit` seconds), calling `each` after every tick.
    template<typename Each>
    void flyUntilLanded(Each &&each, double limit = 3600)
    {
        bool flew = false;
        f.flyUntil(
            [&] {
                each();
                flew = flew || f.model().isFlying();
                return flew && !f.model().isFlying();
            },
            limit);
        lowestLanding = std::min(lowestLanding, f.model().charge());
        f.fly(1); // the readings after the landing
    }
    // A fresh pack, and the next stretch from the stored breakpoint.
    bool changeBatteryAndResume(int backStep = 1)
    {
        f.model().setBatteryCharge(100);
        std::optional<MissionBreakpoint> bp = store.openBreakpoint();
        if (!bp)
            return false;
        return send(next(*bp, backStep), *bp);
    }
};

// Where each photo lies on the survey's lines, and what is wrong with them: a photo off every
// line by more than the aircraft drifts in a crosswind (taken on the way home or back), a stretch of line longer than the trigger distance
// without one (1 m allowed for where the aircraft counts a waypoint as reached), and the count of
// photos that repeat one taken before (closer than half the trigger distance).
struct Coverage {
    QStringList faults;
    int duplicates = 0;
};
inline Coverage coverage(const DJIWaypointMission &m, const std::vector<FlightModel::Point> &photos)
{
    struct Line {
        FlightModel::Point a, b;
        double trigger;
    };
    std::vector<Line> lines;
    for (int i = 0; i + 1 < m.waypoints.size(); ++i)
        if (const double t = cameraStateAfter(m, i).triggerDistance; t > 0)
            lines.push_back({SimulatedDJISDK::toLocal(m.waypoints[i].latitude, m.waypoints[i].longitude),
                             SimulatedDJISDK::toLocal(m.waypoints[i + 1].latitude, m.waypoints[i + 1].longitude), t});
    Coverage out;
    std::map<size_t, std::vector<double>> along; // metres from each line's start
    for (size_t n = 0; n < photos.size(); ++n) {
        const FlightModel::Point p = photos[n];
        bool on = false;
        for (size_t k = 0; k < lines.size() && !on; ++k) {
            const Line &l = lines[k];
            const double dx = l.b.east - l.a.east, dy = l.b.north - l.a.north, len = std::hypot(dx, dy);
            const double s = ((p.east - l.a.east) * dx + (p.north - l.a.north) * dy) / len;
            const double off = std::abs((p.east - l.a.east) * dy - (p.north - l.a.north) * dx) / len;
            if (off < 5 && s > -1 && s < len + 1) {
                along[k].push_back(s);
                on = true;
            }
        }
        if (!on)
            out.faults << QStringLiteral("photo %1 at (%2, %3) is on no line").arg(n + 1).arg(p.east).arg(p.north);
    }
    for (size_t k = 0; k < lines.size(); ++k) {
        std::vector<double> s = along[k];
        const Line &l = lines[k];
        s.push_back(0); // the line's ends, held to the same spacing
        s.push_back(std::hypot(l.b.east - l.a.east, l.b.north - l.a.north));
        std::sort(s.begin(), s.end());
        for (size_t i = 1; i < s.size(); ++i) {
            const double gap = s[i] - s[i - 1];
            if (gap > l.trigger + 1)
                out.faults
                    << QStringLiteral("line %1: %2 m without a photo from %3 m").arg(k + 1).arg(gap).arg(s[i - 1]);
            out.duplicates += i > 1 && i + 1 < s.size() && gap < l.trigger / 2;
        }
    }
    return out;
}

inline std::vector<FlightModel::Point> cardPositions(const FlightModel &model, size_t from = 0)
{
    std::vector<FlightModel::Point> out;
    const auto &card = model.camera().card();
    for (size_t i = from; i < card.size(); ++i)
        out.push_back({card[i].pose.east, card[i].pose.north});
    return out;
}

} // namespace multibattery
