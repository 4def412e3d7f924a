// The simulated aircraft's 10 Hz telemetry stream with the dashboard on screen: the process's
// CPU use and the frame times with the stream, against the same screen with the aircraft
// parked behind a silent link; then a long simulated flight's memory.
//
//   xvfb-run -a -s "-screen 0 1366x1024x24" build/bench/drone/stream-bench [seconds]
#include "CommandLine.h"
#include "DJIDroneManager.h"
#include "DroneBench.h"
#include "FakeDJISDK.h"
#include "QmlSetup.h"
#include "SimulatedDJISDK.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace dronebench;

struct Result {
    double cpuPercent = 0, median = 0, p95 = 0;
    double appCpuPercent = 0; // without the software GPU's rasteriser threads
    double framesPerSecond = 0; // drawn unasked, while the CPU is measured
};

// Runs the dashboard for `seconds`, asking for a frame after every swap (as an animation
// would), and returns the CPU share of one core and the frame intervals.
Result run(std::unique_ptr<DJISDKManager> sdk, bool stream, double seconds)
{
    auto *sim = dynamic_cast<SimulatedDJISDK *>(sdk.get());
    ZeltrinPilotApp::Dependencies deps;
    deps.sdk = std::move(sdk);
    ZeltrinPilotApp app(std::move(deps));
    app.droneManager()->setLogSink([](const QString &) {});
    QQuickView view;
    zeltrin::setupEngine(*view.engine());
    app.attachTo(*view.engine());
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(390, 844);
    view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/dashboard/DashboardView.qml")));
    view.show();
    app.droneManager()->startConnection();
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 1500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (sim && stream)
        app.droneManager()->takeOff();
    // CPU first with nothing forcing frames (the screen redraws only what changes), then the
    // frame times with a frame asked for after every swap.
    int drawn = 0;
    const auto counting = QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&drawn] { ++drawn; });
    const CpuSplit c0 = CpuSplit::now();
    QElapsedTimer t;
    t.start();
    runFor(seconds);
    const CpuSplit cpu = CpuSplit::now() - c0;
    QObject::disconnect(counting);
    const double wall = double(t.elapsed()) / 1000.0;

    std::vector<double> frames;
    QElapsedTimer frameClock;
    frameClock.start();
    QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&] {
        frames.push_back(double(frameClock.nsecsElapsed()) / 1e6);
        frameClock.restart();
        view.update();
    });
    view.update();
    runFor(seconds);
    QObject::disconnect(&view, &QQuickWindow::frameSwapped, nullptr, nullptr);
    Result r;
    r.cpuPercent = 100.0 * cpu.all / wall;
    r.appCpuPercent = 100.0 * (cpu.all - cpu.rasteriser) / wall;
    r.framesPerSecond = drawn / wall;
    if (frames.size() > 2) {
        frames.erase(frames.begin()); // the first interval waits for the loop to start
        std::sort(frames.begin(), frames.end());
        r.median = frames[frames.size() / 2];
        r.p95 = frames[size_t(double(frames.size() - 1) * 0.95)];
    }
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(
        argc, argv,
        QStringLiteral("The simulated aircraft's telemetry stream with the dashboard on screen: "
                       "CPU and frame times, then a long flight's memory."));
    cli.parser().addPositionalArgument(QStringLiteral("seconds"),
                                       QStringLiteral("Seconds of each measured run, 2 to 600 (default 20)."),
                                       QStringLiteral("[seconds]"));
    cli.parseOrExit(1);
    const double seconds = std::clamp(cli.number(QStringLiteral("seconds"), cli.positional(0, QStringLiteral("20"))),
                                      2.0, 600.0);
    QGuiApplication a(argc, argv);

    std::printf("## Telemetry stream, dashboard on screen (390x844, %s, %.0f s each)\n\n",
                qPrintable(QGuiApplication::platformName()), seconds);
    std::printf("| link | CPU, %% of one core | without the rasteriser's threads | frames drawn a second | frame median (ms) | frame p95 (ms) |\n"
                "|---|---|---|---|---|---|\n");
    auto fake = std::make_unique<FakeDJISDK>();
    const Result idle = run(std::move(fake), false, seconds);
    std::printf("| silent (aircraft parked, no stream) | %.2f | %.2f | %.1f | %.2f | %.2f |\n", idle.cpuPercent,
                idle.appCpuPercent, idle.framesPerSecond, idle.median, idle.p95);
    const Result live = run(std::make_unique<SimulatedDJISDK>(), true, seconds);
    std::printf("| simulated aircraft flying, 10 Hz stream | %.2f | %.2f | %.1f | %.2f | %.2f |\n", live.cpuPercent,
                live.appCpuPercent, live.framesPerSecond, live.median, live.p95);
    std::printf("\nStream's cost: %+.2f %% of one core, %+.2f %% without the rasteriser's threads (goal <= 2); p95 frame %+.1f %% (goal <= 10)\n\n",
                live.cpuPercent - idle.cpuPercent, live.appCpuPercent - idle.appCpuPercent, idle.p95 > 0 ? 100.0 * (live.p95 - idle.p95) / idle.p95 : 0.0);

    // A 60-minute flight on the driven clock: memory as it goes.
    ManualClock clock;
    SimulatedDJISDK sim(1, nullptr, &clock);
    DJIDroneManager manager(&sim);
    manager.setLogSink([](const QString &) {});
    manager.startConnection();
    QElapsedTimer w;
    w.start();
    while (manager.connectionState() != DJIDroneManager::ConnectionState::connected && w.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    sim.model().setReturnCharge(0);
    manager.startIntelligentMode(DJIOrbitSettings{.radius = 200, .speed = 8});
    manager.takeOff();
    QCoreApplication::processEvents();
    const long before = residentKiB();
    QElapsedTimer cpu;
    cpu.start();
    for (int minute = 0; minute < 60; ++minute) {
        if (minute == 1)
            manager.startIntelligentMode(DJIOrbitSettings{.radius = 200, .speed = 8});
        sim.model().setBatteryCharge(90); // a long flight, not a battery test
        clock.advance(60 * 1000);
        QCoreApplication::processEvents();
    }
    std::printf("60-minute simulated flight: %.0f ms to run, resident memory %+ld KiB\n", double(cpu.elapsed()),
                residentKiB() - before);
    return 0;
}
