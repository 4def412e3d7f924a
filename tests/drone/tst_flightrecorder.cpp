// The flight recorder on the simulated aircraft with a driven clock, writing a real store:
// what a flight leaves in the logbook with its photos, how a lost link ends and restarts a
// record, and that a killed app keeps every batch written before the kill.
#include "FlightRecorder.h"
#include "FlightStore.h"
#include "Gazetteer.h"
#include "SimFlight.h"

#include <QProcess>
#include <QTemporaryDir>

using namespace simflight;
using namespace zeltrin;

namespace {

constexpr qint64 kEpoch = 1'780'000'000'000; // the simulated flight's wall-clock start

struct Recorded {
    QTemporaryDir dir;
    Flight f;
    FlightStore store{dir.filePath(QStringLiteral("flights.sqlite"))};
    FlightRecorder recorder{&f.manager, &store, [this] { return kEpoch + f.clock.nowMs(); }};

    bool airborne(double seconds)
    {
        if (!f.connectAircraft())
            return false;
        f.manager.takeOff();
        f.settle();
        f.flyUntil([&] { return f.manager.isFlying(); }, 30);
        f.fly(seconds);
        return recorder.isRecording();
    }
    void landAndSettle()
    {
        f.manager.land();
        f.settle();
        f.flyUntil([&] { return !f.manager.isFlying(); }, 300);
        f.fly(1);
    }
};

} // namespace

class TestFlightRecorder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missionFlightLeavesOneRecordWithItsFigures()
    {
        Recorded r;
        QVERIFY(r.airborne(2));
        const qint64 takeoffMs = r.recorder.current().log.date.toMSecsSinceEpoch();
        r.f.manager.executeMission(mission(route(4, 200), 40, 10));
        r.f.settle();
        r.f.flyUntil([&] { return r.f.manager.missionState() == QLatin1String("finished"); }, 600);
        r.landAndSettle();
        QVERIFY(!r.recorder.isRecording());

        const auto flights = r.store.flights();
        QCOMPARE(flights.size(), 1);
        const FlightRecord &rec = flights[0];
        const auto track = r.store.track(rec.log.id);
        QCOMPARE(rec.end, FlightEnd::landed);
        QCOMPARE(rec.log.date.toMSecsSinceEpoch(), takeoffMs);
        QVERIFY(takeoffMs >= kEpoch && takeoffMs < kEpoch + 30'000);
        QCOMPARE(rec.pointCount, track.size());
        // One sample a second, take-off to touch-down.
        QVERIFY2(std::abs(track.size() - (rec.log.duration + 1)) <= 2,
                 qPrintable(QStringLiteral("%1 points over %2 s").arg(track.size()).arg(rec.log.duration)));
        // The landing point may come sooner than a second after the one before.
        for (qsizetype i = 1; i + 1 < track.size(); ++i)
            QVERIFY(track[i].timeMs - track[i - 1].timeMs >= FlightRecorder::kSampleMs);
        QCOMPARE(rec.log.duration, (track.last().timeMs - track.first().timeMs) / 1000.0);
        // The route: 200 m north, 200 m east, back west and 200 m north on the diagonal, 200 m east.
        const double routeMetres = 200 + 200 + 200 * std::sqrt(2.0) + 200;
        QVERIFY2(std::abs(rec.log.distance - routeMetres) < 0.03 * routeMetres, qPrintable(QString::number(rec.log.distance)));
        QVERIFY2(std::abs(rec.log.maxAltitude - 40) < 3, qPrintable(QString::number(rec.log.maxAltitude)));
        QVERIFY(rec.log.maxSpeed > 8 && rec.log.maxSpeed < 12);
        QVERIFY(rec.batteryStart > rec.batteryEnd && rec.batteryEnd >= 0);
        // The simulator's field is far from any city: it is named by its coordinates.
        QCOMPARE(rec.log.location, QStringLiteral("42.9986\u00b0 N, 84.0021\u00b0 W"));
    }

    // Photos every 20 m along 200 m: eleven, kept with the flight as the camera reported them,
    // each within a batch of being taken. One taken on the ground before is not the flight's.
    void photosAreKeptWithTheirFlight()
    {
        Recorded r;
        QList<DJIPhotoCapture> reported;
        connect(&r.f.manager, &DJIDroneManager::photoCaptured, [&](const DJIPhotoCapture &p) { reported << p; });
        QVERIFY(r.f.connectAircraft());
        r.f.manager.capturePhoto();
        r.f.fly(1);
        QVERIFY(r.airborne(1));
        const QUuid id = r.recorder.current().log.id;
        QList<DJIWaypoint> line{SimulatedDJISDK::toLatLon({0, 100}), SimulatedDJISDK::toLatLon({0, 150}),
                                SimulatedDJISDK::toLatLon({0, 300})};
        line[0].actions << DJIStartDistancePhotos{20};
        line[2].actions << DJIStopDistancePhotos{};
        r.f.manager.executeMission(mission(line, 30, 8));
        r.f.settle();
        qint64 worstLagMs = 0;
        r.f.flyUntil(
            [&] {
                const qsizetype stored = r.store.photos(id).size(), heard = r.recorder.currentPhotos().size();
                if (stored < heard)
                    worstLagMs = std::max(worstLagMs,
                                          kEpoch + r.f.clock.nowMs() - r.recorder.currentPhotos()[stored].timeMs);
                return r.f.manager.missionState() == QLatin1String("finished");
            },
            300);
        r.landAndSettle();
        QCOMPARE_LE(worstLagMs, FlightRecorder::kBatchMs + SimClock::kTickMs);

        const QList<PhotoRecord> photos = r.store.photos(id);
        QCOMPARE(reported.size(), 12);
        QCOMPARE(photos.size(), 11);
        const auto track = r.store.track(id);
        for (qsizetype i = 0; i < photos.size(); ++i) {
            const PhotoRecord &p = photos[i];
            const DJIPhotoCapture &c = reported[i + 1];
            QCOMPARE(p.number, int(i) + 1);
            QCOMPARE(p.latitude, c.latitude);
            QCOMPARE(p.longitude, c.longitude);
            QCOMPARE(p.height, c.height);
            QCOMPARE(p.heading, c.heading);
            QCOMPARE(p.gimbalPitch, c.gimbalPitch);
            QVERIFY(p.timeMs >= track.first().timeMs && p.timeMs <= track.last().timeMs);
            QCOMPARE_LE(
                std::abs(metresBetween(p.latitude, p.longitude, line[0].latitude, line[0].longitude) - 20.0 * i), 0.5);
        }
    }

    void trackIsWrittenInBatchesAtMostFiveSecondsApart()
    {
        Recorded r;
        QVERIFY(r.airborne(0));
        const QUuid id = r.recorder.current().log.id;
        qint64 worstGapMs = 0, lastGrowthMs = r.f.clock.nowMs();
        qsizetype stored = r.store.track(id).size();
        QCOMPARE(stored, 1); // the take-off point at once
        r.f.fly(40, [&] {
            const qsizetype now = r.store.flight(id)->pointCount;
            if (now > stored) {
                worstGapMs = std::max(worstGapMs, r.f.clock.nowMs() - lastGrowthMs);
                lastGrowthMs = r.f.clock.nowMs();
                stored = now;
            }
        });
        QVERIFY2(worstGapMs <= FlightRecorder::kBatchMs, qPrintable(QString::number(worstGapMs)));
        QVERIFY(stored >= 35);
    }

    void lostLinkEndsTheRecordAndItsReturnAirborneStartsAnother()
    {
        Recorded r;
        QVERIFY(r.airborne(20));
        const QUuid first = r.recorder.current().log.id;
        const qint64 lastBeforeDrop = r.recorder.currentTrack().last().timeMs;
        r.f.sdk.dropLink();
        QVERIFY(!r.recorder.isRecording());
        r.f.fly(15);
        QCOMPARE(r.store.flight(first)->end, FlightEnd::linkLost);
        QCOMPARE(flightEndText(r.store.flight(first)->end), QStringLiteral("ended by link loss"));
        QCOMPARE(r.store.track(first).last().timeMs, lastBeforeDrop);

        r.f.sdk.restoreLink();
        r.f.fly(10);
        QVERIFY(r.recorder.isRecording());
        QVERIFY(r.recorder.current().log.id != first);
        r.landAndSettle();
        const auto flights = r.store.flights();
        QCOMPARE(flights.size(), 2);
        QCOMPARE(flights[0].end, FlightEnd::landed);
        QVERIFY2(flights[0].log.date.toMSecsSinceEpoch() >= lastBeforeDrop + 15'000,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(flights[0].log.date.toMSecsSinceEpoch()).arg(lastBeforeDrop).arg(flights[1].log.date.toMSecsSinceEpoch())));
    }

    void noRecordWhileOnTheGround()
    {
        Recorded r;
        QVERIFY(r.f.connectAircraft());
        r.f.fly(30);
        QVERIFY(!r.recorder.isRecording());
        QVERIFY(r.store.flights().isEmpty());
        QVERIFY(!r.store.everRecorded());
    }

    void killedMidFlightKeepsEveryBatchAndTheNextStartClosesIt_data()
    {
        QTest::addColumn<int>("pointsBeforeKill");
        QTest::newRow("after the first batch") << 6;
        QTest::newRow("late in the flight") << 40;
    }
    void killedMidFlightKeepsEveryBatchAndTheNextStartClosesIt()
    {
        QFETCH(int, pointsBeforeKill);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(FLIGHT_RECORDER_CHILD), {path});
        QVERIFY2(child.waitForStarted(5000), qPrintable(child.errorString()));
        // The child prints how many points and photos the store holds after each batch.
        int reported = 0, photosReported = 0;
        QByteArray out;
        while (reported < pointsBeforeKill && child.state() == QProcess::Running) {
            if (!child.waitForReadyRead(20000))
                break;
            out += child.readAllStandardOutput();
            const auto lines = out.split('\n');
            for (const QByteArray &l : lines)
                if (const QList<QByteArray> w = l.trimmed().split(' '); w.size() == 4 && w[0] == "stored") {
                    reported = std::max(reported, w[1].toInt());
                    photosReported = std::max(photosReported, w[3].toInt());
                }
        }
        QVERIFY2(reported >= pointsBeforeKill, out.constData());
        child.kill(); // SIGKILL: no handler, no clean-up
        QVERIFY(child.waitForFinished(5000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        FlightStore store(path);
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QVERIFY(store.setAsidePath().isEmpty());
        const auto flights = store.flights();
        QCOMPARE(flights.size(), 1);
        QCOMPARE(flights[0].end, FlightEnd::interrupted);
        const auto track = store.track(flights[0].log.id);
        QVERIFY2(track.size() >= reported, qPrintable(QStringLiteral("%1 < %2").arg(track.size()).arg(reported)));
        QCOMPARE(flights[0].pointCount, track.size());
        for (qsizetype i = 1; i < track.size(); ++i)
            QCOMPARE(track[i].timeMs - track[i - 1].timeMs, FlightRecorder::kSampleMs);
        QCOMPARE(flights[0].log.duration, (track.last().timeMs - track.first().timeMs) / 1000.0);
        // The photos likewise: every one of a written batch, numbered without a gap, each taken
        // 5 m after the one before (the first of them where the aircraft counted the waypoint as
        // reached, up to half a metre short of it, the trigger counting from the waypoint).
        const auto photos = store.photos(flights[0].log.id);
        QVERIFY2(photos.size() >= photosReported,
                 qPrintable(QStringLiteral("%1 < %2").arg(photos.size()).arg(photosReported)));
        QVERIFY(photosReported > 0);
        for (qsizetype i = 0; i < photos.size(); ++i) {
            QCOMPARE(photos[i].number, int(i) + 1);
            if (i > 0)
                QCOMPARE_LE(std::abs(metresBetween(photos[i - 1].latitude, photos[i - 1].longitude, photos[i].latitude,
                                                   photos[i].longitude)
                                     - 5.0),
                            FlightModel::kWaypointReach + 0.05);
        }
    }

    void placeNames_data()
    {
        QTest::addColumn<double>("lat");
        QTest::addColumn<double>("lon");
        QTest::addColumn<QString>("name");
        QTest::newRow("in a city of the table") << 47.3977 << 8.5456 << "Zurich, CH";
        QTest::newRow("open country") << 47.3977 << 9.5456 << "47.3977\u00b0 N, 9.5456\u00b0 E";
        QTest::newRow("south and west") << -33.0 << -60.5 << "33.0000\u00b0 S, 60.5000\u00b0 W";
        QTest::newRow("rounds to zero: no minus") << -0.00001 << -0.00001 << "0.0000\u00b0 N, 0.0000\u00b0 E";
        QTest::newRow("not a position") << std::nan("") << 0.0 << "\u2014";
        QTest::newRow("beyond the pole") << 91.0 << 0.0 << "\u2014";
    }
    void placeNames()
    {
        QFETCH(double, lat);
        QFETCH(double, lon);
        QFETCH(QString, name);
        QVERIFY(Gazetteer::bundled().places().size() > 300);
        QCOMPARE(Gazetteer::bundled().placeName(lat, lon), name);
    }

    void zoneTableLinesThatAreNotPlacesAreSkipped()
    {
        const Gazetteer g = Gazetteer::fromZoneTab(
            "# comment\n"
            "CH\t+4723+00832\tEurope/Zurich\n"
            "AR\t-3436-05827\tAmerica/Argentina/Buenos_Aires\n"
            "XX\t+99+00832\tEurope/Bad\n"
            "YY\t+4723+00832\n"
            "ZZ\t+472300+0083200\tEurope/Seconds\n"
            "C\t+4723+00832\tEurope/Short\n"
            "QQ\t+9123+00832\tEurope/North\n");
        QCOMPARE(g.places().size(), 3);
        QCOMPARE(g.places()[1].name, QStringLiteral("Buenos Aires"));
        QCOMPARE(g.places()[1].latitude, -(34 + 36 / 60.0));
        QCOMPARE(g.places()[2].name, QStringLiteral("Seconds"));
    }
};

QTEST_GUILESS_MAIN(TestFlightRecorder)
#include "tst_flightrecorder.moc"
