// Mission planner benchmark: frame times of the planner while panning (the empty map, the
// mission zoomed in, the whole 10,000-waypoint mission on screen, and the screen hidden: the
// window's own clear and swap, the least any frame costs on this renderer), an edit with its
// next frame, edit operations on their own, and resident memory. Basic render loop; each frame is timed
// from the camera move (or the edit) to the swap, with the CPU the drawing thread spent on it: all
// of the frame's work but llvmpipe's rasteriser threads, whose work a device's GPU does.
// Usage: mission-bench [--software|--gl] [--dpr N] [frames]   (prints Markdown tables)
//   --software: offscreen, software scene graph (the default); --gl: a real window on xcb with
//   OpenGL (run under xvfb-run). --dpr sets the device pixel ratio (QT_SCALE_FACTOR).
#include "PlannerBench.h"

using namespace plannerbench;

int main(int argc, char **argv)
{
    const RunOptions options = readRunOptions(
        argc, argv,
        QStringLiteral("Mission planner benchmark: pan frames, edits and memory at 10,000 "
                       "waypoints (prints Markdown tables)."),
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

    Planner planner;
    std::printf("## Mission planner (390x844, %s, device pixel ratio %.0f, %d frames each)\n\n",
                gl ? "OpenGL on xcb" : "software scene graph, offscreen", planner.view->effectiveDevicePixelRatio(),
                frames);
    std::printf("| scene | frame to submit, median (ms) | p95 (ms) | frame to swap, median (ms) | p95 (ms) "
                "| drawing thread's CPU to swap, median (ms) | p95 (ms) |\n"
                "|---|---|---|---|---|---|---|\n");
    // Rounds alternate between the scenes so drift in the machine's load hits all alike.
    struct Scene {
        const char *name;
        int waypoints;
        bool whole;
        bool hidden = false;
    };
    constexpr int kScenes = 4;
    const Scene scenes[kScenes] = {{"empty map", 0, false},
                                   {"10,000 waypoints, zoomed in", 10000, false},
                                   {"10,000 waypoints, whole mission on screen", 10000, true},
                                   {"nothing drawn (the screen hidden: the window's clear and swap)", 0, false, true}};
    std::vector<double> samples[kScenes], swaps[kScenes], threadCpu[kScenes];
    QQuickItem *screen = planner.view->rootObject();
    for (int round = 0; round < 3; ++round) {
        for (int k = 0; k < kScenes; ++k) {
            planner.fill(scenes[k].waypoints);
            planner.map->setRegion(scenes[k].whole ? planner.wholeMission() : FlightPlanModel::initialMapPosition());
            screen->setVisible(!scenes[k].hidden);
            planner.panFrames(20, nullptr); // warm-up
            planner.panFrames(frames / 3, &samples[k], &swaps[k], &threadCpu[k]);
        }
    }
    screen->setVisible(true);
    double base = 0;
    for (int k = 0; k < kScenes; ++k) {
        const Stats s = stats(samples[k]), w = stats(swaps[k]), c = stats(threadCpu[k]);
        if (k == 0)
            base = w.median;
        std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", scenes[k].name, s.median, s.p95, w.median,
                    w.p95, c.median, c.p95);
    }
    std::printf("\nWhole mission / empty map, to swap: %.2f (goal <= 1.5)\n", stats(swaps[2]).median / base);
    // What the map itself adds to a frame's CPU: the submit time over the hidden screen's, which
    // holds the same wait for the frame and the same clear.
    const double floorSubmit = stats(samples[3]).median;
    std::printf("\nThe screen's own CPU a frame (submit over the hidden screen's): empty map %.2f ms, "
                "whole mission %.2f ms; the window's floor to swap: %.2f ms\n",
                stats(samples[0]).median - floorSubmit, stats(samples[2]).median - floorSubmit, stats(swaps[3]).median);
    std::printf("\nResident memory with 10,000 waypoints: %.1f MiB\n\n", double(residentKiB()) / 1024.0);

    // An edit and the frame that shows it, with the whole mission on screen.
    FlightPlanModel *plan = planner.plan;
    planner.fill(10000);
    planner.map->setRegion(planner.wholeMission());
    planner.panFrames(10, nullptr);
    printEditFrames(planner, "10,000");

    // Edits alone, with 10,000 waypoints in the plan, the map and panel attached.
    planner.fill(10000);
    const bool ok = printEditTimes(plan, "10,000");
    std::printf("\nAll edits <= 1 ms of CPU: %s\n", ok ? "yes" : "no");
    return 0;
}
