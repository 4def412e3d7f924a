#pragma once

// The planner screen in a window and the ways the benchmarks time it: pan frames, an edit with
// its next frame, edit operations on their own. Shared by mission-bench and plan-files-bench.
#include "CommandLine.h"
#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "QmlSetup.h"
#include "TileMapItem.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <vector>

namespace plannerbench {

// The planner benchmarks' command line: [--software|--gl] [--dpr N] [frames].
struct RunOptions {
    bool gl = false;
    double dpr = 1;
    int frames = 0;
};

inline RunOptions readRunOptions(int argc, char **argv, const QString &description, int defaultFrames,
                                 bool takesDpr = true)
{
    zeltrin::cli::CommandLine cli(argc, argv, description);
    QCommandLineParser &parser = cli.parser();
    const QCommandLineOption glOpt(QStringLiteral("gl"),
                                   QStringLiteral("A real window on xcb with OpenGL (run it under xvfb-run)."));
    const QCommandLineOption softwareOpt(QStringLiteral("software"),
                                         QStringLiteral("Offscreen with the software scene graph (the default)."));
    const QCommandLineOption dprOpt(
        QStringLiteral("dpr"), QStringLiteral("Device pixel ratio, 1 to 4 (QT_SCALE_FACTOR)."), QStringLiteral("N"));
    parser.addOption(glOpt);
    if (takesDpr)
        parser.addOptions({softwareOpt, dprOpt});
    parser.addPositionalArgument(
        QStringLiteral("frames"),
        QStringLiteral("Frames timed in each pass (at least 30, default %1).").arg(defaultFrames),
        QStringLiteral("[frames]"));
    cli.parseOrExit(1);
    RunOptions o;
    // The last of --gl and --software wins, as the benchmarks always read them.
    const QStringList names = parser.optionNames();
    const qsizetype lastGl = names.lastIndexOf(QStringLiteral("gl"));
    const qsizetype lastSoftware = names.lastIndexOf(QStringLiteral("software"));
    o.gl = lastGl > lastSoftware;
    if (takesDpr && parser.isSet(dprOpt))
        o.dpr = std::clamp(cli.number(QStringLiteral("--dpr"), parser.value(dprOpt)), 1.0, 4.0);
    o.frames = std::max(30,
                        cli.wholeNumber(QStringLiteral("frames"), cli.positional(0, QString::number(defaultFrames))));
    return o;
}

struct Stats {
    double median = 0, p95 = 0, max = 0;
};

inline Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return {};
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)], v.back()};
}

inline long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline double threadCpuUs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

// Wall time and this thread's CPU time per call: on a shared machine the wall time's maximum
// includes time the thread was not running at all.
template<typename F>
std::pair<Stats, Stats> timeEach(int repeats, F &&op)
{
    std::vector<double> wall, cpu;
    QElapsedTimer t;
    for (int i = 0; i < repeats; ++i) {
        const double c0 = threadCpuUs();
        t.start();
        op(i);
        wall.push_back(double(t.nsecsElapsed()) / 1000.0);
        cpu.push_back(threadCpuUs() - c0);
    }
    return {stats(std::move(wall)), stats(std::move(cpu))};
}

struct Planner {
    std::unique_ptr<ZeltrinPilotApp> app;
    std::unique_ptr<QQuickView> view;
    FlightPlanModel *plan = nullptr;
    TileMapItem *map = nullptr;

    Planner()
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        view = std::make_unique<QQuickView>();
        zeltrin::setupEngine(*view->engine());
        app->attachTo(*view->engine());
        view->setResizeMode(QQuickView::SizeRootObjectToView);
        view->resize(390, 844);
        view->setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml")));
        if (view->status() != QQuickView::Ready) {
            for (const auto &e : view->errors())
                std::fprintf(stderr, "%s\n", qPrintable(e.toString()));
            std::exit(1);
        }
        plan = view->rootObject()->property("plan").value<FlightPlanModel *>();
        map = view->rootObject()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        // No network here; the graticule is what the map draws.
        map->setImageryUrlTemplate({});
        map->setLabelsUrlTemplate({});
        view->show();
        settle(200);
    }
    static void settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    void fill(int n)
    {
        plan->clearWaypoints();
        for (int i = 0; i < n; ++i)
            plan->addWaypoint();
        settle(50);
    }
    // Waits for the next frame to reach the screen. Returns ms from `since`'s start to the end
    // of the scene graph's work (commands submitted: the CPU's share) and to the swap (which,
    // on llvmpipe, is where the rasterising happens). Given the thread's CPU clock at `since`
    // (threadCpuUs()), also the CPU this thread spent up to the swap: with the basic render loop
    // that is the whole frame but llvmpipe's rasteriser threads, the work a GPU takes over.
    struct FrameTime {
        double submitted = 0, swapped = 0, threadCpu = 0;
    };
    FrameTime nextFrame(const QElapsedTimer &since, double cpuAtSinceUs = -1)
    {
        FrameTime ft;
        bool swapped = false;
        QMetaObject::Connection r = QObject::connect(view.get(), &QQuickWindow::afterRendering, view.get(),
                                                     [&] { ft.submitted = double(since.nsecsElapsed()) / 1e6; },
                                                     Qt::DirectConnection);
        // A real event loop: polling processEvents would spin this thread through the platform's
        // wait for the frame and count that as the frame's CPU.
        QEventLoop loop;
        QMetaObject::Connection c = QObject::connect(view.get(), &QQuickWindow::frameSwapped, view.get(), [&] {
            if (swapped)
                return;
            swapped = true;
            ft.swapped = double(since.nsecsElapsed()) / 1e6;
            if (cpuAtSinceUs >= 0)
                ft.threadCpu = (threadCpuUs() - cpuAtSinceUs) / 1000.0;
            loop.quit();
        }, Qt::DirectConnection);
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        view->update();
        loop.exec();
        QObject::disconnect(r);
        QObject::disconnect(c);
        if (!swapped) {
            std::fprintf(stderr, "no frame within 2 s\n");
            std::exit(2);
        }
        return ft;
    }
    // Pans to and fro along the mission's diagonal, timing each frame.
    void panFrames(int frames, std::vector<double> *cpu, std::vector<double> *whole = nullptr,
                   std::vector<double> *threadCpu = nullptr)
    {
        QElapsedTimer t;
        for (int i = 0; i < frames; ++i) {
            const double step = (i / 40) % 2 ? 3 : -3;
            const double cpu0 = threadCpuUs();
            t.start();
            map->panBy(step, -step);
            const FrameTime ft = nextFrame(t, cpu0);
            if (cpu)
                cpu->push_back(ft.submitted);
            if (whole)
                whole->push_back(ft.swapped);
            if (threadCpu)
                threadCpu->push_back(ft.threadCpu);
        }
    }
    // A region holding every waypoint.
    MapRegion wholeMission() const
    {
        const auto &list = map->markers()->coordinates();
        double la0 = 90, la1 = -90, lo0 = 180, lo1 = -180;
        for (const auto &c : list) {
            la0 = std::min(la0, c.latitude);
            la1 = std::max(la1, c.latitude);
            lo0 = std::min(lo0, c.longitude);
            lo1 = std::max(lo1, c.longitude);
        }
        MapRegion r;
        r.centerLatitude = (la0 + la1) / 2;
        r.centerLongitude = (lo0 + lo1) / 2;
        r.latitudeSpan = std::max(1e-3, (la1 - la0) * 1.1);
        r.longitudeSpan = std::max(1e-3, (lo1 - lo0) * 1.1);
        return r;
    }
};


// An edit and the frame that shows it, with whatever the map shows now. Prints a table.
inline void printEditFrames(Planner &planner, const char *size)
{
    FlightPlanModel *plan = planner.plan;
    const int reps = 60;
    std::printf("| edit at %s waypoints, whole mission on screen | edit + next frame to submit, median (ms) | p95 (ms) | to swap, median (ms) | drawing thread's CPU, median (ms) |\n"
                "|---|---|---|---|---|\n", size);
    auto editRow = [&](const char *name, auto &&edit) {
        std::vector<double> v, w, c;
        QElapsedTimer t;
        for (int i = 0; i < reps; ++i) {
            const double cpu0 = threadCpuUs();
            t.start();
            edit(i);
            const auto ft = planner.nextFrame(t, cpu0);
            v.push_back(ft.submitted);
            w.push_back(ft.swapped);
            c.push_back(ft.threadCpu);
        }
        const Stats s = stats(v);
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f |\n", name, s.median, s.p95, stats(w).median, stats(c).median);
    };
    editRow("add a waypoint", [&](int) { plan->addWaypoint(); });
    editRow("select a waypoint", [&](int i) { plan->selectWaypoint((i * 37) % plan->waypointCount()); });
    editRow("delete the last waypoint", [&](int) { plan->deleteWaypoints({plan->waypointCount() - 1}); });
    editRow("delete a waypoint in the middle", [&](int) { plan->deleteWaypoints({plan->waypointCount() / 2}); });
    std::printf("\n");
}

// Edit operations alone, each timed in wall and thread CPU time, at the plan's current size
// (the map and panel attached). Prints a table; true when every edit took <= 1 ms of CPU.
inline bool printEditTimes(FlightPlanModel *plan, const char *size)
{
    const int opReps = 200;
    const auto add = timeEach(opReps, [&](int) { plan->addWaypoint(); });
    const auto del = timeEach(opReps, [&](int) {
        plan->selectWaypoint(plan->waypointCount() / 2);
        plan->deleteSelectedWaypoint();
    });
    const auto listDel = timeEach(opReps, [&](int i) { plan->deleteWaypoints({(i * 37) % plan->waypointCount()}); });
    const auto move = timeEach(opReps, [&](int i) {
        const int n = plan->waypointCount();
        plan->moveWaypoints({(i * 53) % n}, (i * 97) % (n + 1));
    });
    const auto moveFirstToEnd = timeEach(opReps, [&](int) { plan->moveWaypoints({0}, plan->waypointCount()); });
    std::printf("| operation at ~%s waypoints | median (us) | p95 (us) | max wall (us) | max thread CPU (us) |\n"
                "|---|---|---|---|---|\n", size);
    auto row = [](const char *name, const std::pair<Stats, Stats> &s) {
        std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", name, s.first.median, s.first.p95, s.first.max,
                    s.second.max);
    };
    row("addWaypoint", add);
    row("deleteSelectedWaypoint (middle)", del);
    row("list delete (one row)", listDel);
    row("list move (one row, random)", move);
    row("list move (first to end)", moveFirstToEnd);
    return add.second.max <= 1000 && del.second.max <= 1000 && listDel.second.max <= 1000
        && move.second.max <= 1000 && moveFirstToEnd.second.max <= 1000;
}

} // namespace plannerbench
