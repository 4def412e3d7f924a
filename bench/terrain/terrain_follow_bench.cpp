// Terrain follow from scratch: a 1,000 ha survey planned (lines, photos, route), then its heights
// worked out over rolling hills (every leg sampled every 5 m, waypoints added where the ground
// bends). The hills are a formula here, costing a few ns a sample; heights from tiles in memory
// cost about 80 ns more each (terrain-bench), so the samples it prints times 80 ns is what
// real elevation data adds.
// Usage: terrain-follow-bench [repeats]
#include "CommandLine.h"
#include "LocalPlane.h"
#include "SurveyFlight.h"
#include "TerrainFollow.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace zeltrin;

namespace {

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
    zeltrin::cli::CommandLine cli(argc, argv,
                                  QStringLiteral("Terrain follow for a 1,000 ha survey from scratch (prints a Markdown "
                                                 "table)."));
    cli.parser().addPositionalArgument(QStringLiteral("repeats"),
                                       QStringLiteral("Plans timed (at least 3, default 20)."),
                                       QStringLiteral("[repeats]"));
    cli.parseOrExit(1);
    const int repeats = std::max(3,
                                 cli.wholeNumber(QStringLiteral("repeats"), cli.positional(0, QStringLiteral("20"))));
    const survey::LocalPlane plane({43.0, -84.0});
    survey::SurveySettings spec;
    const double side = std::sqrt(1000.0 * 10000.0);
    for (const auto &[x, y] : std::vector<std::pair<double, double>>{{0, 0}, {1, 0.05}, {0.95, 1}, {0.02, 0.97}})
        spec.polygon.append(plane.toGeo({(x - 0.5) * side, (y - 0.5) * side}));
    spec.camera = *survey::builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
    spec.height = 100;
    const Hills hills;
    std::vector<double> total, follow;
    size_t samples = 0, added = 0;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        const survey::SurveyFlight flight = survey::planSurvey(spec);
        const qint64 planned = t.nsecsElapsed();
        QList<Coordinate> route;
        for (const survey::SurveyWaypoint &w : flight.waypoints)
            route.append(w.position);
        const terrain::FollowPlan plan = terrain::followTerrain(route, route.constFirst(), hills, {.height = 100});
        total.push_back(double(t.nsecsElapsed()) / 1e6);
        follow.push_back(double(t.nsecsElapsed() - planned) / 1e6);
        samples = plan.profile.size();
        added = plan.waypoints.size() - size_t(route.size());
    }
    std::sort(total.begin(), total.end());
    std::sort(follow.begin(), follow.end());
    const auto p95 = [](const std::vector<double> &v) { return v[std::min(v.size() - 1, v.size() * 95 / 100)]; };
    std::printf("| 1,000 ha with terrain follow | samples | waypoints added | survey + follow, median (ms) | p95 (ms) "
                "| follow alone, median (ms) |\n|---|---|---|---|---|---|\n");
    std::printf("| from scratch | %zu | %zu | %.1f | %.1f | %.1f |\n", samples, added, total[total.size() / 2],
                p95(total), follow[follow.size() / 2]);
    return 0;
}
