// The mission map while the simulated aircraft flies a 1,000-waypoint mission:
//  1. the process's CPU and the frames drawn, against the same map and mission with the aircraft
//     parked behind a silent link; then frame times with a frame asked for after every swap;
//  2. a 60-minute flight of that mission on the driven clock (or as many minutes as asked):
//     resident memory, the flown track's points and the frame time as the track grows.
//
//   xvfb-run -a -s "-screen 0 1366x1024x24" env QT_QPA_PLATFORM=xcb build/bench/drone/mission-flight-bench [seconds [minutes]]
#include "CommandLine.h"
#include "DJIDroneManager.h"
#include "DroneBench.h"
#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "QmlSetup.h"
#include "SimulatedDJISDK.h"
#include "TileMapItem.h"
#include "TrackLine.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace dronebench;

constexpr int kWaypoints = 1000;
constexpr double kLeg = 50; // metres between waypoints, a survey's lawnmower rows

struct Stats {
    double median = 0, p95 = 0;
};

Stats stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[size_t(double(v.size() - 1) * 0.95)]};
}

// 40 rows of 25 waypoints around the take-off point, boustrophedon.
QList<zeltrin::Coordinate> survey()
{
    QList<zeltrin::Coordinate> out;
    constexpr int perRow = 25;
    for (int i = 0; i < kWaypoints; ++i) {
        const int row = i / perRow, k = i % perRow;
        const double east = (row % 2 ? perRow - 1 - k : k) * kLeg - perRow * kLeg / 2;
        const double north = row * kLeg - 20 * kLeg;
        const DJIWaypoint w = SimulatedDJISDK::toLatLon({east, north});
        out.append({w.latitude, w.longitude});
    }
    return out;
}

// The flight plan screen on its own app, the survey loaded and the map fitted to it.
struct MissionScreen {
    std::unique_ptr<ZeltrinPilotApp> app;
    QQuickView view;
    FlightPlanModel *plan = nullptr;
    TileMapItem *map = nullptr;

    explicit MissionScreen(std::unique_ptr<DJISDKManager> sdk)
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::move(sdk);
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        zeltrin::setupEngine(*view.engine());
        app->attachTo(*view.engine());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(390, 844);
        view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml")));
        if (view.status() != QQuickView::Ready) {
            for (const auto &e : view.errors())
                std::fprintf(stderr, "%s\n", qPrintable(e.toString()));
            std::exit(1);
        }
        plan = view.rootObject()->property("plan").value<FlightPlanModel *>();
        map = view.rootObject()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        if (!plan || !map) {
            std::fprintf(stderr, "the flight plan screen has no plan or map\n");
            std::exit(1);
        }
        // No network here; the graticule is what the map draws.
        map->setImageryUrlTemplate({});
        map->setLabelsUrlTemplate({});
        plan->waypoints()->setCoordinates(survey());
        view.show();
        app->droneManager()->startConnection();
        runFor(1.0);
        const QList<zeltrin::Coordinate> all = survey();
        double s = 90, w = 180, n = -90, e = -180;
        for (const auto &c : all) {
            s = std::min(s, c.latitude);
            n = std::max(n, c.latitude);
            w = std::min(w, c.longitude);
            e = std::max(e, c.longitude);
        }
        map->fitBounds(s, w, n, e);
    }

    // Uploads the plan (its 2 s step) and lets the aircraft take off onto it.
    void fly(double afterSeconds)
    {
        plan->executeMission();
        runFor(afterSeconds);
    }

    // ms from asking for a frame to its swap.
    double oneFrame()
    {
        QElapsedTimer t;
        bool swapped = false;
        const auto c = QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&] { swapped = true; });
        t.start();
        view.update();
        while (!swapped && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(c);
        return double(t.nsecsElapsed()) / 1e6;
    }
};

struct Result {
    double cpuPercent = 0, framesPerSecond = 0;
    double appCpuPercent = 0; // without the software GPU's rasteriser threads
    Stats frames;
};

Result measure(MissionScreen &screen, double seconds)
{
    Result r;
    int drawn = 0;
    const auto counting = QObject::connect(&screen.view, &QQuickWindow::frameSwapped, &screen.view, [&drawn] { ++drawn; });
    const CpuSplit c0 = CpuSplit::now();
    QElapsedTimer t;
    t.start();
    runFor(seconds);
    const CpuSplit cpu = CpuSplit::now() - c0;
    const double wall = double(t.elapsed()) / 1000.0;
    r.cpuPercent = 100.0 * cpu.all / wall;
    r.appCpuPercent = 100.0 * (cpu.all - cpu.rasteriser) / wall;
    r.framesPerSecond = drawn / wall;
    QObject::disconnect(counting);

    std::vector<double> intervals;
    QElapsedTimer frameClock;
    frameClock.start();
    const auto forcing = QObject::connect(&screen.view, &QQuickWindow::frameSwapped, &screen.view, [&] {
        intervals.push_back(double(frameClock.nsecsElapsed()) / 1e6);
        frameClock.restart();
        screen.view.update();
    });
    screen.view.update();
    runFor(seconds);
    QObject::disconnect(forcing);
    if (intervals.size() > 2)
        intervals.erase(intervals.begin()); // the first waits for the loop to start
    r.frames = stats(std::move(intervals));
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv,
                                  QStringLiteral("The mission map while the simulated aircraft flies a 1,000-waypoint "
                                                 "mission: CPU, frames, then a long flight's memory and track."));
    cli.parser().addPositionalArgument(QStringLiteral("seconds"),
                                       QStringLiteral("Seconds of each measured run, 2 to 600 (default 15)."),
                                       QStringLiteral("[seconds"));
    cli.parser().addPositionalArgument(QStringLiteral("minutes"),
                                       QStringLiteral("Minutes of the long flight, 15 to 600 (default 60)."),
                                       QStringLiteral("[minutes]]"));
    cli.parseOrExit(2);
    const double seconds = std::clamp(cli.number(QStringLiteral("seconds"), cli.positional(0, QStringLiteral("15"))),
                                      2.0, 600.0);
    const int minutes = int(
        std::clamp(cli.number(QStringLiteral("minutes"), cli.positional(1, QStringLiteral("60"))), 15.0, 600.0));
    QGuiApplication a(argc, argv);

    std::printf("## Mission map, %d waypoints (390x844, %s, %.0f s each)\n\n", kWaypoints,
                qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("| link | CPU, %% of one core | without the rasteriser's threads | frames drawn a second | frame median (ms) | frame p95 (ms) |\n"
                "|---|---|---|---|---|---|\n");
    Result idle, live;
    {
        MissionScreen screen(std::make_unique<FakeDJISDK>());
        runFor(1.0);
        idle = measure(screen, seconds);
    }
    std::printf("| silent (aircraft parked, no stream) | %.2f | %.2f | %.1f | %.2f | %.2f |\n", idle.cpuPercent,
                idle.appCpuPercent, idle.framesPerSecond, idle.frames.median, idle.frames.p95);
    {
        MissionScreen screen(std::make_unique<SimulatedDJISDK>());
        screen.fly(4.0);
        live = measure(screen, seconds);
        if (!screen.app->droneManager()->isFlying())
            std::fprintf(stderr, "the aircraft is not flying the mission\n");
    }
    std::printf("| simulated aircraft flying the mission, 10 Hz stream | %.2f | %.2f | %.1f | %.2f | %.2f |\n",
                live.cpuPercent, live.appCpuPercent, live.framesPerSecond, live.frames.median, live.frames.p95);
    std::printf("\nStream's cost: %+.2f %% of one core, %+.2f %% without the rasteriser's threads (goal <= 2); p95 frame %+.1f %% (goal <= 10)\n\n",
                live.cpuPercent - idle.cpuPercent, live.appCpuPercent - idle.appCpuPercent,
                idle.frames.p95 > 0 ? 100.0 * (live.frames.p95 / idle.frames.p95 - 1) : 0.0);

    // 2. An hour (or the minutes asked for) of the mission on the driven clock, a minute at a time.
    ManualClock clock;
    auto *sim = new SimulatedDJISDK(1, nullptr, &clock);
    MissionScreen screen{std::unique_ptr<DJISDKManager>(sim)};
    sim->model().setReturnCharge(0); // a long flight, not a battery test
    screen.fly(2.5);
    const auto framesNow = [&] {
        std::vector<double> v;
        for (int i = 0; i < 20; ++i)
            v.push_back(screen.oneFrame());
        return stats(std::move(v));
    };
    screen.view.engine()->collectGarbage();
    malloc_trim(0);
    const long rssStart = residentKiB();
    const auto heapKiB = [] { return long(mallinfo2().uordblks / 1024); }; // what malloc has handed out
    const long heapStart = heapKiB();
    const Stats first = framesNow();
    // Resident memory as it stands, then once the allocator has handed back what is free: what
    // is left over is what the process still holds.
    std::printf("| minute | track points | resident memory (KiB, from the start) | after malloc_trim | after garbage collection too | malloc heap in use (KiB, from the start) | frame median (ms) | p95 (ms) |\n"
                "|---|---|---|---|---|---|---|---|\n");
    std::printf("| 0 | %lld | +0 | | | +0 | %.2f | %.2f |\n", qint64(screen.app->flownTrack()->count()), first.median, first.p95);
    // Flown once more each time it ends, so a long flight's track keeps growing.
    const DJIWaypointMission again = screen.plan->aircraftMission();
    for (int minute = 1; minute <= minutes; ++minute) {
        sim->model().setBatteryCharge(90);
        if (screen.app->droneManager()->missionState() == QLatin1String("finished"))
            screen.app->droneManager()->executeMission(again);
        for (int s = 0; s < 60; ++s) { // the readings of each second reach the screen
            clock.advance(1000);
            QCoreApplication::processEvents();
        }
        if (minute % 15 == 0) {
            const Stats f = framesNow();
            const long resident = residentKiB() - rssStart;
            malloc_trim(0);
            const long trimmed = residentKiB() - rssStart;
            // The bindings' garbage waits for the script engine's collector, which runs when
            // its heap fills: collected, what is left is what the app holds.
            screen.view.engine()->collectGarbage();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            malloc_trim(0);
            std::printf("| %d | %lld | %+ld | %+ld | %+ld | %+ld | %.2f | %.2f |\n", minute, qint64(screen.app->flownTrack()->count()),
                        resident, trimmed, residentKiB() - rssStart, heapKiB() - heapStart, f.median, f.p95);
        }
    }
    std::printf("\nmission state after %d minutes: %s, waypoint %d\n", minutes,
                qPrintable(screen.app->droneManager()->missionState()),
                screen.app->droneManager()->missionWaypoint());
    return 0;
}
