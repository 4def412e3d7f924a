// The plan library listing 500 saved plans of 60 waypoints: a first listing reads every file, a
// later one reads only what changed (one plan saved again).
// Usage: plan-library-bench [--plans N] [--rounds N]   (prints a Markdown table)
#include "PlanLibrary.h"
#include "SurveyPlan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using zeltrin::planio::LibraryEntry;
using zeltrin::planio::PlanLibrary;

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the plan library's listing of many saved plans."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("plans"), QStringLiteral("Saved plans in the library."), QStringLiteral("n"),
                      QStringLiteral("500")});
    parser.addOption(
        {QStringLiteral("rounds"), QStringLiteral("Listings timed."), QStringLiteral("n"), QStringLiteral("9")});
    parser.process(app);
    bool ok1 = false, ok2 = false;
    const int plans = parser.value(QStringLiteral("plans")).toInt(&ok1);
    const int rounds = parser.value(QStringLiteral("rounds")).toInt(&ok2);
    if (!ok1 || !ok2 || plans < 1 || rounds < 1) {
        std::fprintf(stderr, "plan-library-bench: --plans and --rounds take a positive number\n");
        return 2;
    }
    QTemporaryDir dir;
    const PlanLibrary library(dir.filePath(QStringLiteral("plans")));
    const zeltrin::MissionPlan plan = surveyPlan(60);
    for (int i = 0; i < plans; ++i)
        if (!library.save(plan, QStringLiteral("Plan %1").arg(i)).isEmpty())
            return 3;
    std::vector<double> cold, warm;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        const QList<LibraryEntry> all = library.list();
        cold.push_back(double(t.nsecsElapsed()) / 1e6);
        if (all.size() != plans)
            return 4;
        QHash<QString, LibraryEntry> known;
        for (const LibraryEntry &e : all)
            known.insert(e.fileName, e);
        if (!library.save(plan, QStringLiteral("Plan 0")).isEmpty())
            return 3;
        t.restart();
        const QList<LibraryEntry> again = library.list(known);
        warm.push_back(double(t.nsecsElapsed()) / 1e6);
        if (again.size() != plans || again.first().name != QStringLiteral("Plan 0"))
            return 5;
    }
    std::printf("| What | Median |\n|---|---|\n");
    std::printf("| List %d plans, every file read | %.1f ms |\n", plans, median(cold));
    std::printf("| List %d plans, one changed | %.1f ms |\n", plans, median(warm));
    return 0;
}
