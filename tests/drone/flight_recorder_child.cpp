// Flies the simulated aircraft north with its camera taking a photo every 5 m and a recorder
// writing the store named on the command line, printing "stored N photos M" after every batch,
// until it is killed. Used by tst_flightrecorder.
#include "FlightRecorder.h"
#include "FlightStore.h"
#include "SimFlight.h"

#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    simflight::Flight f;
    FlightStore store(QString::fromLocal8Bit(argv[1]));
    if (!store.isOpen())
        return 4;
    FlightRecorder recorder(&f.manager, &store, [&] { return 1'780'000'000'000 + f.clock.nowMs(); });
    if (!f.connectAircraft())
        return 3;
    f.manager.takeOff();
    f.settle();
    f.flyUntil([&] { return f.manager.isFlying(); }, 30);
    DJIWaypoint start = SimulatedDJISDK::toLatLon({0, 10}), far = SimulatedDJISDK::toLatLon({0, 5000});
    start.height = far.height = 20;
    start.actions << DJIStartDistancePhotos{5};
    f.manager.executeMission({{start, far}, 8});
    f.settle();
    int last = 0;
    for (;;) {
        f.fly(0.5);
        const auto open = recorder.isRecording() ? store.flight(recorder.current().log.id) : std::nullopt;
        const int stored = open ? open->pointCount : 0;
        if (stored != last) {
            last = stored;
            const QUuid id = recorder.current().log.id;
            std::printf("stored %d photos %d\n", stored, int(store.photos(id).size()));
            std::fflush(stdout);
        }
        // Slow enough that the kill lands at a moment of its own, between or inside writes.
        QThread::msleep(2);
    }
}
