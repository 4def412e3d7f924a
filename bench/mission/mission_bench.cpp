// Mission planner benchmark: edit operations on a 10,000-waypoint mission, frame times of the
// planner while panning (offscreen, software scene graph) and resident memory.
// Usage: mission-bench [frames]   (prints a Markdown table)
#include "FakeDJISDK.h"
#include "FlightPlanModel.h"
#include "QmlSetup.h"
#include "TileMapItem.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Stats {
    double median = 0, p95 = 0, max = 0;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return {};
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)], v.back()};
}

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

template<typename F>
Stats timeEach(int repeats, F &&op)
{
    std::vector<double> us;
    us.reserve(size_t(repeats));
    QElapsedTimer t;
    for (int i = 0; i < repeats; ++i) {
        t.start();
        op(i);
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    return stats(std::move(us));
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
    // Pans along the mission's diagonal so markers and path stay on screen, rendering each frame.
    Stats panFrames(int frames)
    {
        MapRegion r = FlightPlanModel::initialMapPosition();
        map->setRegion(r);
        std::vector<double> ms;
        QElapsedTimer t;
        for (int i = 0; i < frames; ++i) {
            t.start();
            map->panBy(-3, 3);
            QCoreApplication::processEvents();
            const QImage img = view->grabWindow();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
            if (img.isNull())
                std::exit(2);
        }
        return stats(std::move(ms));
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();
    const int frames = argc > 1 ? std::max(20, atoi(argv[1])) : 300;

    Planner planner;
    std::printf("## Mission planner (390x844, offscreen software scene graph, %d frames)\n\n", frames);

    std::printf("| waypoints | median frame (ms) | p95 (ms) | max (ms) |\n|---|---|---|---|\n");
    double base = 0;
    // "empty map" = no waypoints; then 1,000 and 10,000.
    for (int n : {0, 1000, 10000}) {
        planner.fill(n);
        planner.panFrames(20); // warm-up
        const Stats s = planner.panFrames(frames);
        if (n == 0)
            base = s.median;
        std::printf("| %d | %.2f | %.2f | %.2f |\n", n, s.median, s.p95, s.max);
        if (n == 10000)
            std::printf("\nRatio 10,000 / empty: %.2f (target <= 1.5)\n", s.median / base);
    }
    std::printf("\nResident memory with 10,000 waypoints: %.1f MiB\n\n", double(residentKiB()) / 1024.0);

    // Edits with 10,000 waypoints in the plan, the map and panel attached.
    FlightPlanModel *plan = planner.plan;
    planner.fill(10000);
    const int reps = 200;
    const Stats add = timeEach(reps, [&](int) { plan->addWaypoint(); });
    const Stats del = timeEach(reps, [&](int) {
        plan->selectWaypoint(plan->waypointCount() / 2);
        plan->deleteSelectedWaypoint();
    });
    const Stats listDel = timeEach(reps, [&](int i) { plan->deleteWaypoints({(i * 37) % plan->waypointCount()}); });
    const Stats move = timeEach(reps, [&](int i) {
        const int n = plan->waypointCount();
        plan->moveWaypoints({(i * 53) % n}, (i * 97) % (n + 1));
    });
    const Stats moveFirstToEnd = timeEach(reps, [&](int) { plan->moveWaypoints({0}, plan->waypointCount()); });
    std::printf("| operation at ~10,000 waypoints | median (us) | p95 (us) | max (us) |\n|---|---|---|---|\n");
    auto row = [](const char *name, const Stats &s) {
        std::printf("| %s | %.1f | %.1f | %.1f |\n", name, s.median, s.p95, s.max);
    };
    row("addWaypoint", add);
    row("deleteSelectedWaypoint (middle)", del);
    row("list delete (one row)", listDel);
    row("list move (one row, random)", move);
    row("list move (first to end)", moveFirstToEnd);
    const bool ok = add.max <= 1000 && del.max <= 1000 && listDel.max <= 1000 && move.max <= 1000
        && moveFirstToEnd.max <= 1000;
    std::printf("\nAll edits <= 1 ms: %s\n", ok ? "yes" : "no");
    return 0;
}
