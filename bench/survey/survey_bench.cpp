// Survey planning benchmark: planning a survey from scratch (the area, its lines, photos with
// their footprints, the route and figures), and planning it again after one corner moved, as a
// drag on the map does on every move. Prints a Markdown table of median and 95th percentile.
// The thread's CPU time beside the wall time tells the work from waits for a busy machine's cores.
// Usage: survey-bench [repeats]
#include "CommandLine.h"
#include "LocalPlane.h"
#include "SurveyFlight.h"

#include <QElapsedTimer>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace zeltrin;
using namespace zeltrin::survey;

namespace {

struct Stats {
    double median = 0, p95 = 0;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

// An irregular eight-cornered field (or an L) scaled to `hectares`, about the planner's start.
QList<Coordinate> field(double hectares, bool lShaped)
{
    std::vector<std::pair<double, double>> shape = lShaped
        ? std::vector<std::pair<double, double>>{{0, 0}, {1, 0}, {1, 0.45}, {0.5, 0.5}, {0.45, 1}, {0, 1}}
        : std::vector<std::pair<double, double>>{{0, 0.1},     {0.55, 0}, {1, 0.2},   {0.95, 0.6},
                                                 {1.05, 0.95}, {0.5, 1},  {0.1, 0.9}, {-0.05, 0.5}};
    double area = 0;
    for (size_t i = 0; i < shape.size(); ++i) {
        const auto &[x0, y0] = shape[i];
        const auto &[x1, y1] = shape[(i + 1) % shape.size()];
        area += x0 * y1 - x1 * y0;
    }
    const double scale = std::sqrt(hectares * 10000.0 / std::abs(area / 2));
    const LocalPlane plane(Coordinate{43.0, -84.0});
    QList<Coordinate> corners;
    for (const auto &[x, y] : shape)
        corners.append(plane.toGeo({x * scale, y * scale}));
    return corners;
}

SurveySettings specFor(const QList<Coordinate> &polygon)
{
    SurveySettings s;
    s.polygon = polygon;
    s.camera = *builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    s.height = 100;
    s.frontOverlap = 80;
    s.sideOverlap = 70;
    s.gridAngle = 30;
    s.turnaround = 10;
    return s;
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double planMs(const SurveySettings &spec, SurveyFlight *out = nullptr, double *cpu = nullptr)
{
    QElapsedTimer t;
    const double cpu0 = cpuMs();
    t.start();
    SurveyFlight f = planSurvey(spec);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (cpu)
        *cpu = cpuMs() - cpu0;
    if (!f.ok()) {
        std::fprintf(stderr, "not planned: %s\n", qPrintable(f.error));
        std::exit(1);
    }
    if (out)
        *out = std::move(f);
    return ms;
}

void row(const char *what, const SurveySettings &spec, int repeats, bool dragging)
{
    SurveyFlight f;
    planMs(spec, &f);
    std::vector<double> times, cpu;
    SurveySettings moving = spec;
    const Coordinate corner = spec.polygon[2];
    for (int i = 0; i < repeats; ++i) {
        if (dragging) // a finger's move: a few metres each time, back and forth
            moving.polygon[2] = {corner.latitude + 0.00003 * (i % 7), corner.longitude - 0.00004 * (i % 5)};
        double c = 0;
        times.push_back(planMs(moving, nullptr, &c));
        cpu.push_back(c);
    }
    const Stats s = stats(times), c = stats(cpu);
    std::printf("| %s | %.0f ha | %d | %d | %d | %.2f | %.2f | %.2f | %.2f |\n", what, f.figures.area / 10000.0,
                f.figures.lineCount, f.figures.photoCount, int(f.waypoints.size()), s.median, s.p95, c.median, c.p95);
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(
        argc, argv,
        QStringLiteral("Survey planning from scratch and after a corner moved (prints a Markdown "
                       "table)."));
    cli.parser().addPositionalArgument(QStringLiteral("repeats"),
                                       QStringLiteral("Plans timed in each row (at least 5, default 40)."),
                                       QStringLiteral("[repeats]"));
    cli.parseOrExit(1);
    const int repeats = std::max(5,
                                 cli.wholeNumber(QStringLiteral("repeats"), cli.positional(0, QStringLiteral("40"))));
    // The first plan in a process also starts PROJ.
    const double first = planMs(specFor(field(1000, false)));
    std::printf("First plan in the process (1,000 ha, PROJ starting): %.2f ms\n\n", first);
    std::printf("| What | Area | Lines | Photos | Waypoints | Median ms | p95 ms | CPU median ms | CPU p95 ms |\n"
                "|---|---|---|---|---|---|---|---|---|\n");
    row("From scratch", specFor(field(1000, false)), repeats, false);
    row(
        "From scratch, crosshatch",
        [] {
            SurveySettings s = specFor(field(1000, false));
            s.crosshatch = true;
            return s;
        }(),
        repeats, false);
    row("From scratch, L-shaped", specFor(field(1000, true)), repeats, false);
    row("A corner moved", specFor(field(100, false)), repeats, true);
    row("A corner moved", specFor(field(1000, false)), repeats, true);
    row("A corner moved, L-shaped", specFor(field(1000, true)), repeats, true);
    return 0;
}
