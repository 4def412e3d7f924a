// Survey corner drag: one corner of a survey moved, the survey planned again (lines, photos,
// footprints, the plan's waypoints) and the next frame drawn with the footprints on screen. Timed
// from the move to the swap, with the CPU the app's thread spent on it (basic render loop: the
// whole frame but llvmpipe's rasteriser threads, whose work a device's GPU does).
// Each area is timed on flat ground with no elevation data, then over rolling hills with Terrain
// Follow on: the heights worked out over the ground after each move, and the footprints laid on it.
// Usage: survey-drag-bench [--software|--gl] [--dpr N] [frames]   (prints a Markdown table)
#include "LocalPlane.h"
#include "PlannerBench.h"
#include "SurveyEditModel.h"

#include <cmath>

using namespace plannerbench;

namespace {

// An irregular eight-cornered field of `hectares` about `centre`.
QList<zeltrin::Coordinate> field(double hectares, zeltrin::Coordinate centre)
{
    const std::vector<std::pair<double, double>> shape{{0, 0.1},     {0.55, 0}, {1, 0.2},   {0.95, 0.6},
                                                       {1.05, 0.95}, {0.5, 1},  {0.1, 0.9}, {-0.05, 0.5}};
    double area = 0;
    for (size_t i = 0; i < shape.size(); ++i) {
        const auto &[x0, y0] = shape[i];
        const auto &[x1, y1] = shape[(i + 1) % shape.size()];
        area += x0 * y1 - x1 * y0;
    }
    const double scale = std::sqrt(hectares * 10000.0 / std::abs(area / 2));
    const zeltrin::survey::LocalPlane plane(centre);
    QList<zeltrin::Coordinate> corners;
    for (const auto &[x, y] : shape)
        corners.append(plane.toGeo({(x - 0.5) * scale, (y - 0.5) * scale}));
    return corners;
}

// Rolling hills about the planner's start point, metres above sea level.
struct Hills : ElevationSource {
    std::optional<double> heightAt(double latitude, double longitude) const override
    {
        const double e = (longitude + 84.0) * 81500, n = (latitude - 43.0) * 111000;
        return 250 + 30 * std::sin(e / 140) * std::cos(n / 110) + 0.02 * e;
    }
};

} // namespace

int main(int argc, char **argv)
{
    const RunOptions options = readRunOptions(
        argc, argv,
        QStringLiteral("Survey corner drag: replanning and the next frame with footprints, at "
                       "100 ha and 1,000 ha (prints a Markdown table)."),
        120);
    qputenv("QSG_RENDER_LOOP", "basic");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(options.dpr));
    if (options.gl) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QGuiApplication qapp(argc, argv);
    zeltrin::setupApplicationLook();

    Planner planner;
    auto *survey = planner.view->rootObject()->property("survey").value<SurveyEditModel *>();
    if (!survey) {
        std::fprintf(stderr, "survey-drag-bench: the planner has no survey tool\n");
        return 1;
    }
    std::printf("## Survey corner drag (390x844, %s, device pixel ratio %.0f, %d moves each)\n\n",
                options.gl ? "OpenGL on xcb" : "software scene graph, offscreen",
                planner.view->effectiveDevicePixelRatio(), options.frames);
    std::printf("| area | ground | photos | move + replan + frame to swap, median (ms) | p95 (ms) "
                "| app thread's CPU, median (ms) | p95 (ms) |\n|---|---|---|---|---|---|---|\n");
    const MapRegion start = FlightPlanModel::initialMapPosition();
    const zeltrin::Coordinate centre{start.centerLatitude, start.centerLongitude};
    const Hills hills;
    for (const auto &[hectares, terrain] :
         std::vector<std::pair<double, bool>>{{100, false}, {100, true}, {1000, false}, {1000, true}}) {
        planner.plan->setTerrainFollowEnabled(terrain);
        planner.plan->setGround(terrain ? &hills : nullptr);
        survey->begin();
        while (survey->cornerCount() > 0)
            survey->removeCorner(survey->cornerCount() - 1);
        survey->setSelectedCorner(-1);
        const QList<zeltrin::Coordinate> corners = field(hectares, centre);
        for (const zeltrin::Coordinate &c : corners)
            survey->addCorner(c.latitude, c.longitude);
        survey->setHeight(100);
        survey->setFrontOverlap(80);
        survey->setSideOverlap(70);
        survey->setGridAngle(30);
        if (!survey->planned()) {
            std::fprintf(stderr, "survey-drag-bench: %.0f ha did not plan: %s\n", hectares,
                         qPrintable(survey->problem()));
            return 1;
        }
        double south = 90, north = -90, west = 180, east = -180;
        for (const zeltrin::Coordinate &c : corners) {
            south = std::min(south, c.latitude);
            north = std::max(north, c.latitude);
            west = std::min(west, c.longitude);
            east = std::max(east, c.longitude);
        }
        planner.map->fitBounds(south, west, north, east);
        Planner::settle(200);
        // The corner moves to and fro by up to about 1 % of the field's side, as a finger does.
        const zeltrin::Coordinate corner = corners[2];
        const double step = (north - south) * 0.001;
        std::vector<double> swap, cpu;
        QElapsedTimer t;
        for (int i = 0; i < options.frames + 10; ++i) {
            const double offset = step * double((i % 20) < 10 ? i % 10 : 10 - i % 10);
            const double cpu0 = threadCpuUs();
            t.start();
            survey->moveCorner(2, corner.latitude + offset, corner.longitude - offset);
            planner.plan->terrain()->settle(); // the heights over the ground, before the frame
            const Planner::FrameTime ft = planner.nextFrame(t, cpu0);
            if (i < 10)
                continue; // warm-up
            swap.push_back(ft.swapped);
            cpu.push_back(ft.threadCpu);
        }
        const Stats s = stats(swap), c = stats(cpu);
        std::printf("| %.0f ha | %s | %d | %.2f | %.2f | %.2f | %.2f |\n", hectares,
                    terrain ? "hills, terrain follow" : "flat, none", survey->photoCount(), s.median, s.p95, c.median,
                    c.p95);
        std::fflush(stdout);
    }
    return 0;
}
