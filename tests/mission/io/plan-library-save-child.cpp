// Saves a plan named "Survey" into the library folder in argv[1], over and over, alternating
// argv[2] and argv[2] + 1 waypoints and printing "saved" after each, until it is killed.
// Used by tst_planlibrary.
#include "PlanLibrary.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const zeltrin::planio::PlanLibrary library(QString::fromLocal8Bit(argv[1]));
    const int n = QByteArray(argv[2]).toInt();
    zeltrin::MissionPlan plans[2];
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < n + 1 - k; ++i)
            plans[k].waypoints.append({47.30 + 0.001 * i, 8.50});
        plans[k].altitude = 60;
    }
    for (int round = 0;; ++round) {
        if (!library.save(plans[round % 2], QStringLiteral("Survey")).isEmpty())
            return 3;
        std::printf("saved\n");
        std::fflush(stdout);
    }
}
