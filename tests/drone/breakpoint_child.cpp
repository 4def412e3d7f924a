// Flies the first part of the multi-battery survey with its breakpoint kept in the store named on
// the command line, printing "photo EAST NORTH" for each photo the camera took, until it is
// killed. Used by tst_multibattery.
#include "MultiBatteryFlight.h"

#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    multibattery::Pilot p(QString::fromLocal8Bit(argv[1]));
    if (!p.store.isOpen())
        return 4;
    if (!p.start())
        return 3;
    zeltrin::survey::MissionBreakpoint first = p.firstBreakpoint();
    if (!p.send(p.next(first), first))
        return 5;
    size_t printed = 0;
    for (;;) {
        p.f.fly(0.3);
        const auto &card = p.f.model().camera().card();
        for (; printed < card.size(); ++printed)
            std::printf("photo %.3f %.3f\n", card[printed].pose.east, card[printed].pose.north);
        std::fflush(stdout);
        // Slow enough that the kill lands at a moment of its own, between or inside writes.
        QThread::usleep(300);
    }
}
