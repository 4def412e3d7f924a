// Flight plan files benchmark: opening a .plan from the Plan menu until the first frame shows
// it fitted on the map, saving, and the planner's pan frames and edits with 100,000 waypoints
// against the empty map. Basic render loop, the planner screen at 390x844.
// Usage: plan-files-bench [--software|--gl] [--dpr N] [frames]   (prints Markdown tables)
//   --gl: a real window on xcb with OpenGL (run under xvfb-run); the default is offscreen with
//   the software scene graph, which makes drawing look free.
#include "PlanFormats.h"
#include "PlannerBench.h"
#include "SurveyPlan.h"

#include <QTemporaryDir>
#include <QUrl>

using namespace plannerbench;
using namespace zeltrin;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const MissionPlan &plan)
{
    const QString path = dir.filePath(name);
    if (const QString e = planio::savePlanFile(plan, path, planio::Format::QgcPlan); !e.isEmpty()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(e));
        std::exit(1);
    }
    return path;
}

struct OpenTimes {
    std::vector<double> read, call, frame, cpu;
};

// The Open… dialog's result handed to the model, then the first frame after it. With
// `replacing`, the plan already holds waypoints and the tap on "Replace" is part of the time.
OpenTimes timeOpen(Planner &planner, const QString &path, int repeats, bool replacing)
{
    const QString url = QUrl::fromLocalFile(path).toString();
    const qsizetype expected = planio::readPlanFile(path).plan->waypoints.size();
    OpenTimes t;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer read;
        read.start();
        (void)planio::readPlanFile(path);
        t.read.push_back(double(read.nsecsElapsed()) / 1e6);

        if (!replacing)
            planner.plan->clearWaypoints();
        planner.map->setRegion(FlightPlanModel::initialMapPosition());
        planner.panFrames(5, nullptr); // the screen as it was before the dialog
        QElapsedTimer since;
        const double cpu0 = threadCpuUs();
        since.start();
        planner.plan->openPlan(url);
        if (replacing)
            planner.plan->confirmReplace();
        t.call.push_back(double(since.nsecsElapsed()) / 1e6);
        const Planner::FrameTime ft = planner.nextFrame(since);
        t.cpu.push_back((threadCpuUs() - cpu0) / 1000.0);
        t.frame.push_back(ft.swapped);
        if (planner.plan->waypointCount() != expected || planner.map->markers()->coordinates().size() != expected) {
            std::fprintf(stderr, "the opened plan is not on the map\n");
            std::exit(2);
        }
    }
    return t;
}

void openRow(const char *name, const OpenTimes &t)
{
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f | %.1f |\n", name, stats(t.read).median, stats(t.call).median,
                stats(t.frame).median, stats(t.frame).max, stats(t.cpu).median);
}

std::pair<Stats, Stats> timeSave(FlightPlanModel *plan, const QTemporaryDir &dir, const char *name, int repeats)
{
    const QString url = QUrl::fromLocalFile(dir.filePath(QString::fromUtf8(name))).toString();
    return timeEach(repeats, [&](int) {
        if (!plan->savePlan(url))
            std::exit(3);
    });
}

void saveRow(const char *name, const std::pair<Stats, Stats> &s)
{
    std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", name, s.first.median / 1000, s.first.p95 / 1000,
                s.first.max / 1000, s.second.median / 1000);
}

// Pan frames (to the swap) for the empty map and a loaded plan, zoomed in and whole; rounds
// alternate so drift in the machine's load hits all alike.
void panTable(Planner &planner, const QString &path, const char *size, int frames)
{
    const QString url = QUrl::fromLocalFile(path).toString();
    const char *names[] = {"empty map", "zoomed in", "whole mission on screen"};
    std::vector<double> submit[3], swap[3];
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < 3; ++k) {
            planner.plan->clearWaypoints();
            if (k > 0)
                planner.plan->openPlan(url);
            Planner::settle(50);
            planner.map->setRegion(k == 2 ? planner.wholeMission() : FlightPlanModel::initialMapPosition());
            planner.panFrames(20, nullptr);
            planner.panFrames(frames / 3, &submit[k], &swap[k]);
        }
    }
    std::printf("| pan frame, %s waypoints | to submit, median (ms) | p95 (ms) | to swap, median (ms) | p95 (ms) |\n"
                "|---|---|---|---|---|\n", size);
    for (int k = 0; k < 3; ++k) {
        const Stats s = stats(submit[k]), w = stats(swap[k]);
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f |\n", names[k], s.median, s.p95, w.median, w.p95);
    }
    const double base = stats(swap[0]).median;
    std::printf("\nTo swap, zoomed in / empty map: %.2f; whole mission / empty map: %.2f (goal <= 1.5)\n\n",
                stats(swap[1]).median / base, stats(swap[2]).median / base);
}

} // namespace

int main(int argc, char **argv)
{
    const RunOptions options = readRunOptions(
        argc, argv,
        QStringLiteral("Flight plan files benchmark: opening and saving plans, and the planner "
                       "at 100,000 waypoints (prints Markdown tables)."),
        300);
    const bool gl = options.gl;
    const double dpr = options.dpr;
    const int frames = options.frames;
    qputenv("QSG_RENDER_LOOP", "basic");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(dpr));
    if (gl) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();

    QTemporaryDir dir;
    const QString path10k = writeFile(dir, QStringLiteral("survey-10k.plan"), surveyPlan(10000));
    const QString path100k = writeFile(dir, QStringLiteral("survey-100k.plan"), surveyPlan(100000));

    Planner planner;
    std::printf("## Plan files (390x844, %s, device pixel ratio %.0f)\n\n",
                gl ? "OpenGL on xcb" : "software scene graph, offscreen", planner.view->effectiveDevicePixelRatio());

    std::printf("| open a .plan | read alone, median (ms) | openPlan call, median (ms) | to first frame with the plan, median (ms) | max (ms) | thread CPU to the frame, median (ms) |\n"
                "|---|---|---|---|---|---|\n");
    const OpenTimes open10k = timeOpen(planner, path10k, 7, false);
    openRow("10,000 waypoints, empty plan", open10k);
    openRow("10,000 waypoints over 10,000 (with \"Replace\")", timeOpen(planner, path10k, 7, true));
    openRow("100,000 waypoints, empty plan", timeOpen(planner, path100k, 3, false));
    std::printf("\nOpen 10,000 to the first frame: %.1f ms (goal <= 300)\n\n", stats(open10k.frame).median);

    std::printf("| save (savePlan) | median (ms) | p95 (ms) | max (ms) | thread CPU, median (ms) |\n"
                "|---|---|---|---|---|\n");
    planner.plan->clearWaypoints();
    planner.plan->openPlan(path10k);
    const auto save10k = timeSave(planner.plan, dir, "saved-10k.plan", 10);
    saveRow("10,000 waypoints, .plan", save10k);
    saveRow("10,000 waypoints, .waypoints", timeSave(planner.plan, dir, "saved-10k.waypoints", 10));
    saveRow("10,000 waypoints, .kml", timeSave(planner.plan, dir, "saved-10k.kml", 10));
    saveRow("10,000 waypoints, .kmz", timeSave(planner.plan, dir, "saved-10k.kmz", 10));
    saveRow("10,000 waypoints, .geojson", timeSave(planner.plan, dir, "saved-10k.geojson", 10));
    planner.plan->clearWaypoints();
    planner.plan->openPlan(path100k);
    saveRow("100,000 waypoints, .plan", timeSave(planner.plan, dir, "saved-100k.plan", 3));
    std::printf("\nSave 10,000 (.plan): %.1f ms (goal <= 100)\n\n", save10k.first.median / 1000);

    panTable(planner, path100k, "100,000", frames);

    planner.plan->clearWaypoints();
    planner.plan->openPlan(path100k);
    planner.map->setRegion(planner.wholeMission());
    planner.panFrames(10, nullptr);
    printEditFrames(planner, "100,000");
    const bool ok = printEditTimes(planner.plan, "100,000");
    std::printf("\nAll edits at 100,000 waypoints <= 1 ms of CPU: %s\n", ok ? "yes" : "no");
    std::printf("Resident memory with 100,000 waypoints: %.1f MiB\n", double(residentKiB()) / 1024.0);
    return 0;
}
