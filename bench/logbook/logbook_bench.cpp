// The logbook with 10,000 recorded flights against the two samples: the tab's first frame,
// frame times while its list scrolls, the analytics sheet's first frame; a two-hour flight's
// detail page; and the CPU the recorder adds to a flight. Run it in a real window
// (QT_QPA_PLATFORM=xcb under Xvfb) for the GPU renderer's figures:
//   logbook-bench [flights=10000]
#include "CommandLine.h"
#include "FakeDJISDK.h"
#include "FlightLogModel.h"
#include "FlightRecorder.h"
#include "FlightStore.h"
#include "QmlSetup.h"
#include "SimulatedDJISDK.h"
#include "ZeltrinPilotApp.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace zeltrin;

namespace {

struct Stats {
    double median = 0, p95 = 0;
};
Stats stats(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// `flights` short flights a few minutes apart, and one two-hour flight of 7,200 samples.
QString seed(const QString &dir, int flights, QUuid *longFlight)
{
    const QString path = dir + QStringLiteral("/flights.sqlite");
    FlightStore store(path);
    const qint64 t0 = QDateTime(QDate(2020, 1, 1), QTime(8, 0)).toMSecsSinceEpoch();
    for (int i = 0; i < flights; ++i) {
        FlightRecord r;
        r.log.date = QDateTime::fromMSecsSinceEpoch(t0 + qint64(i) * 3'600'000, Qt::UTC);
        r.log.location = QStringLiteral("Field %1").arg(i % 97);
        r.log.duration = 600 + i % 900;
        r.log.maxAltitude = 30 + i % 90;
        r.log.maxSpeed = 5 + (i % 10);
        r.log.distance = 800 + i % 4000;
        r.end = FlightEnd::landed;
        store.beginFlight(r);
        store.finishFlight(r);
    }
    FlightRecord r;
    r.log.date = QDateTime::fromMSecsSinceEpoch(t0 + qint64(flights + 1) * 3'600'000, Qt::UTC);
    r.log.location = QStringLiteral("Long Survey");
    store.beginFlight(r);
    QList<TrackPoint> pts;
    for (int k = 0; k < 7200; ++k) {
        TrackPoint p;
        p.timeMs = r.log.date.toMSecsSinceEpoch() + k * 1000LL;
        p.latitude = 42.99 + (k / 60) * 1e-4;
        p.longitude = -84.0 + ((k / 60) % 2 ? 59 - k % 60 : k % 60) * 2e-4;
        p.altitude = 60 + 10 * std::sin(k / 300.0);
        p.speed = 8;
        p.battery = 100 - k / 80;
        p.signal = 80;
        pts << p;
    }
    store.appendPoints(r.log.id, pts);
    const TrackSummary s = summarizeTrack(pts);
    r.log.duration = s.duration;
    r.log.maxAltitude = s.maxAltitude;
    r.log.distance = s.distance;
    r.end = FlightEnd::landed;
    store.finishFlight(r);
    *longFlight = r.log.id;
    return path;
}

struct Screen {
    std::unique_ptr<ZeltrinPilotApp> app;
    QQuickView view;

    explicit Screen(const QString &storePath)
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        if (!storePath.isEmpty())
            deps.flightStore = std::make_unique<FlightStore>(storePath);
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        setupEngine(*view.engine());
        app->attachTo(*view.engine());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(390, 844);
        view.show();
        waitFrame();
    }
    // Milliseconds from now to the next frame swapped (after `action`).
    template<typename F>
    double toNextFrame(F &&action)
    {
        bool swapped = false;
        QElapsedTimer t;
        auto c = QObject::connect(&view, &QQuickWindow::frameSwapped, &view, [&] { swapped = true; }, Qt::DirectConnection);
        t.start();
        action();
        view.update();
        while (!swapped && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QObject::disconnect(c);
        return double(t.nsecsElapsed()) / 1e6;
    }
    void waitFrame() { toNextFrame([] {}); }
    void settle(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QQuickItem *find(QQuickItem *root, const QString &name)
    {
        if (root->objectName() == name)
            return root;
        for (QQuickItem *c : root->childItems())
            if (QQuickItem *f = find(c, name))
                return f;
        return nullptr;
    }
    // The other tabs a pilot has seen before this one: their shared parts are compiled.
    void visitOtherTabs()
    {
        for (const char *screen : {"dashboard/DashboardView.qml", "settings/SettingsView.qml"}) {
            view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/") + QLatin1String(screen)));
            settle(300);
        }
    }
    double openTab()
    {
        return toNextFrame([&] { view.setSource(QUrl(QStringLiteral("qrc:/Zeltrin/screens/logbook/FlightLogView.qml"))); });
    }
    // Frame intervals while the list moves 24 px each frame, down and back.
    Stats scroll(int frames)
    {
        QQuickItem *list = find(view.rootObject(), QStringLiteral("flightList"));
        std::vector<double> ms;
        double dir = 1;
        for (int i = 0; i < frames; ++i) {
            ms.push_back(toNextFrame([&] {
                if (!list)
                    return;
                const double maxY = list->property("contentHeight").toDouble() - list->height();
                double y = list->property("contentY").toDouble() + 24 * dir;
                if (y > maxY || y < 0)
                    dir = -dir;
                list->setProperty("contentY", std::clamp(y, 0.0, std::max(0.0, maxY)));
            }));
        }
        return stats(ms);
    }
};

// CPU seconds of this thread for a simulated flight of `seconds`, with or without a recorder.
double flightCpu(double seconds, bool record, const QString &dir)
{
    ManualClock clock;
    SimulatedDJISDK sdk(1, nullptr, &clock);
    DJIDroneManager manager(&sdk);
    manager.setLogSink([](const QString &) {});
    std::unique_ptr<FlightStore> store;
    std::unique_ptr<FlightRecorder> recorder;
    if (record) {
        store = std::make_unique<FlightStore>(dir + QStringLiteral("/recorder.sqlite"));
        recorder = std::make_unique<FlightRecorder>(&manager, store.get(), [&] { return 1'780'000'000'000 + clock.nowMs(); });
    }
    manager.startConnection();
    QElapsedTimer t;
    t.start();
    while (manager.connectionState() != DJIDroneManager::ConnectionState::connected && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    manager.takeOff();
    QCoreApplication::processEvents();
    const double c0 = threadCpuSeconds();
    for (int i = 0; i < int(seconds * 1000 / SimClock::kTickMs); ++i) {
        clock.advance(SimClock::kTickMs);
        if (i % 10 == 0)
            QCoreApplication::processEvents();
    }
    return threadCpuSeconds() - c0;
}

} // namespace

int main(int argc, char **argv)
{
    zeltrin::cli::CommandLine cli(argc, argv,
                                  QStringLiteral("The logbook with many recorded flights: first frames, scrolling, the "
                                                 "analytics sheet, a long flight's page and the recorder's CPU."));
    cli.parser().addPositionalArgument(QStringLiteral("flights"),
                                       QStringLiteral("Recorded flights, 1 to 100,000 (default 10,000)."),
                                       QStringLiteral("[flights]"));
    cli.parseOrExit(1);
    const int flights = std::clamp(
        cli.wholeNumber(QStringLiteral("flights"), cli.positional(0, QStringLiteral("10000"))), 1, 100000);
    QGuiApplication a(argc, argv);
    QTemporaryDir dir;
    QUuid longFlight;
    QElapsedTimer seeding;
    seeding.start();
    const QString path = seed(dir.path(), flights, &longFlight);
    std::printf("seeded %d flights in %.1f s (renderer: %s)\n", flights, seeding.elapsed() / 1000.0,
                qPrintable(QGuiApplication::platformName()));

    {
        FlightStore store(path);
        QElapsedTimer t;
        t.start();
        const auto all = store.flights();
        // Why the list reads a page at a time.
        std::printf("reading all %lld flights at once: %.1f ms\n", qlonglong(all.size()), t.nsecsElapsed() / 1e6);
    }
    std::printf("| logbook | tab's first frame, first screen of the run (ms) | after other tabs (ms) | scroll frame, median (ms) | p95 (ms) | analytics sheet's first frame (ms) |\n"
                "|---|---|---|---|---|---|\n");
    for (bool recorded : {false, true}) {
        const double cold = Screen(recorded ? path : QString()).openTab();
        Screen s(recorded ? path : QString());
        s.visitOtherTabs();
        const double first = s.openTab();
        s.settle(300);
        const Stats sc = s.scroll(240);
        s.settle(200);
        auto *book = s.view.rootObject()->property("model").value<FlightLogModel *>();
        const double sheet = s.toNextFrame([&] { book->setShowAdvancedAnalytics(true); });
        std::printf("| %s | %.1f | %.1f | %.2f | %.2f | %.1f |\n",
                    recorded ? qPrintable(QStringLiteral("%1 recorded").arg(book->count())) : "two samples", cold, first,
                    sc.median, sc.p95, sheet);
        if (recorded) {
            s.settle(500);
            book->setShowAdvancedAnalytics(false);
            s.settle(500);
            QVariant page;
            const double detail = s.toNextFrame([&] {
                QMetaObject::invokeMethod(s.view.rootObject(), "openFlight", Q_RETURN_ARG(QVariant, page),
                                          Q_ARG(QVariant, longFlight.toString(QUuid::WithoutBraces)));
            });
            std::printf("\n7,200-sample flight's page, tap to first frame: %.1f ms\n", detail);
        }
    }

    const double flown = 600;
    const double without = flightCpu(flown, false, dir.path()), with = flightCpu(flown, true, dir.path());
    std::printf("recorder: %.1f ms of CPU over %.0f s of flight = %.3f %% of one core (flight alone %.1f ms)\n",
                (with - without) * 1000, flown, 100 * (with - without) / flown, without * 1000);
    return 0;
}
