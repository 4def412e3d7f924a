// What keeping a multi-battery mission's breakpoint costs: the first part of the 900 × 700 m
// survey flown by the simulated aircraft on a driven clock, the keeper's work (a write to the
// flight store at every waypoint and photo) timed on the thread's CPU clock, against the time the
// part takes in the air.
//
//   build/bench/drone/breakpoint-bench
#include "MultiBatteryFlight.h"

#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace multibattery;
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    simflight::Flight f;
    FlightStore store(dir.filePath(QStringLiteral("flights.sqlite")));
    // Slots run in the order they were connected: the clock is read before the keeper's and after.
    double from = 0, cpu = 0;
    auto before = [&] { from = threadCpuSeconds(); };
    auto after = [&] { cpu += threadCpuSeconds() - from; };
    QObject::connect(&f.manager, &DJIDroneManager::missionProgressChanged, before);
    QObject::connect(&f.manager, &DJIDroneManager::photoCaptured, before);
    MissionBreakpointKeeper keeper(&f.manager, &store);
    QObject::connect(&f.manager, &DJIDroneManager::missionProgressChanged, after);
    QObject::connect(&f.manager, &DJIDroneManager::photoCaptured, after);
    int writes = 0;
    QObject::connect(&keeper, &MissionBreakpointKeeper::breakpointChanged, [&] { ++writes; });

    if (!store.isOpen() || !f.connectAircraft())
        return 1;
    f.model().setBatteryCharge(100);
    const DJIWaypointMission mission = plan();
    const std::vector<BatteryPart> parts = partsFor(mission, f.model());
    if (parts.empty())
        return 2;
    MissionBreakpoint bp;
    bp.planHash = missionHash(mission);
    bp.partCount = int(parts.size());
    const MissionStretch part = missionStretch(mission, {0, 0}, parts.front().last);
    keeper.follow(mission, part, bp);
    f.manager.executeMission(part.mission);
    f.settle();
    cpu = 0;
    const double seconds = f.flyUntil([&] { return f.model().flightTime() > 1 && !f.model().isFlying(); }, 7200);
    std::printf("part 1 of %zu: %.0f s in the air, %d breakpoint writes (%d photos)\n", parts.size(), seconds, writes,
                keeper.breakpoint().photos);
    std::printf("keeper CPU: %.1f ms in all, %.0f us a write, %.4f %% of one core\n", cpu * 1e3,
                writes ? cpu * 1e6 / writes : 0.0, cpu / seconds * 100);
    return 0;
}
