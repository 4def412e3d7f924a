// A survey of 2.3 packs flown to its end a battery at a time, also when the link drops, the
// aircraft turns home by itself or the app is killed on the way: no stretch of a line longer than
// the trigger distance without a photo, no more repeats than the back-step, no photo on the way
// home or back, the reserve never touched. A changed plan is not resumed.
#include "MultiBatteryFlight.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace multibattery;

namespace {

// Random interruptions per kind: a few hundred in all, fewer under the sanitizers' tenfold cost.
#ifdef __SANITIZE_ADDRESS__
constexpr quint32 kRandomRuns = 8;
#else
constexpr quint32 kRandomRuns = 100;
#endif

// The rest of the mission from the stored breakpoint, a fresh pack for each stretch: how many
// stretches that took, or -1 if one could not be sent.
int flyToTheEnd(Pilot &p)
{
    int stretches = 0;
    for (; stretches < 8 && p.store.openBreakpoint(); ++stretches) {
        if (!p.changeBatteryAndResume())
            return -1;
        p.flyUntilLanded([] {});
    }
    return stretches;
}

QString report(const Coverage &c)
{
    return c.faults.mid(0, 5).join(QStringLiteral("; "));
}

} // namespace

class TestMultiBattery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void surveyFlownThroughBatteryChanges_data()
    {
        QTest::addColumn<QString>("interruption");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("none") << QString() << 0u;
        for (quint32 seed = 1; seed <= kRandomRuns; ++seed) {
            QTest::addRow("link lost, seed %u", seed) << QStringLiteral("link") << seed;
            QTest::addRow("low-battery return, seed %u", seed) << QStringLiteral("battery") << seed;
        }
    }
    void surveyFlownThroughBatteryChanges()
    {
        QFETCH(QString, interruption);
        QFETCH(quint32, seed);
        QTemporaryDir dir;
        Pilot p(dir.filePath(QStringLiteral("flights.sqlite")));
        QRandomGenerator rng(seed);
        if (seed)
            p.f.model().setWind({rng.bounded(8.0) - 4, rng.bounded(8.0) - 4});
        QVERIFY(p.start());
        QVERIFY(p.parts.size() >= 3);
        MissionBreakpoint first = p.firstBreakpoint();
        QVERIFY(p.send(p.next(first), first));
        // The interruption at a random moment of the first part.
        const int from = 1 + int(rng.bounded(quint32(p.parts[0].last - 2)));
        p.f.flyUntil([&] { return p.f.model().missionWaypoint() >= from; }, 3600);
        p.f.fly(rng.bounded(60.0));
        QCOMPARE(p.f.model().phase(), FlightModel::Phase::mission);
        if (interruption == QLatin1String("link")) {
            p.f.sdk.dropLink();
            p.f.fly(20 + rng.bounded(100.0));
            p.f.sdk.restoreLink();
        } else if (interruption == QLatin1String("battery")) {
            p.f.model().setBatteryCharge(p.f.model().returnCharge() - 0.5);
        }
        p.flyUntilLanded([] {});
        const bool turnedHome = interruption == QLatin1String("battery");
        QCOMPARE(p.automaticReturns, int(turnedHome));
        QVERIFY(p.keeper.stretchDone() != turnedHome);
        QVERIFY(!p.keeper.isFollowing()); // down: the next reading ended it
        if (turnedHome)
            p.lowestLanding = 100; // forced down far from home by the test: not the plan's doing

        const int stretches = flyToTheEnd(p);
        QVERIFY(stretches >= int(p.parts.size()) - 1);
        QVERIFY(!p.store.openBreakpoint());
        QVERIFY(p.store.breakpoint(missionHash(p.mission))->finished);
        const Coverage c = coverage(p.mission, cardPositions(p.f.model()));
        QVERIFY2(c.faults.isEmpty(), qPrintable(report(c)));
        QVERIFY2(c.duplicates <= int(turnedHome), qPrintable(QString::number(c.duplicates)));
        QCOMPARE(p.automaticReturns, int(turnedHome));
        QVERIFY2(p.lowestLanding >= DJISmartReturnSettings{}.reservePercentage,
                 qPrintable(QString::number(p.lowestLanding)));
    }

    // The app killed (SIGKILL) at a random photo of the first part: the store opens as it was
    // left, its breakpoint holding every photo the child had seen, and the mission resumed from
    // it by a new start covers the rest.
    void killedAppResumes_data()
    {
        QTest::addColumn<int>("photosBeforeKill");
        QRandomGenerator rng(7);
        for (quint32 i = 0; i < kRandomRuns / 8; ++i) {
            const int n = 1 + int(rng.bounded(160u));
            QTest::addRow("after %d photos", n) << n;
        }
    }
    void killedAppResumes()
    {
        QFETCH(int, photosBeforeKill);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flights.sqlite"));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(BREAKPOINT_CHILD), {path});
        QVERIFY2(child.waitForStarted(5000), qPrintable(child.errorString()));
        std::vector<FlightModel::Point> photos;
        QByteArray out;
        while (int(photos.size()) < photosBeforeKill && child.state() == QProcess::Running
               && child.waitForReadyRead(20000)) {
            out += child.readAllStandardOutput();
            const qsizetype end = out.lastIndexOf('\n') + 1;
            for (const QByteArray &l : out.left(end).split('\n'))
                if (const QList<QByteArray> w = l.split(' '); w.size() == 3 && w[0] == "photo")
                    photos.push_back({w[1].toDouble(), w[2].toDouble()});
            out.remove(0, end);
        }
        QVERIFY(int(photos.size()) >= photosBeforeKill);
        child.kill(); // SIGKILL: no handler, no clean-up
        QVERIFY(child.waitForFinished(5000));

        Pilot p(path);
        QVERIFY2(p.store.isOpen() && p.store.setAsidePath().isEmpty(), qPrintable(p.store.errorText()));
        const std::optional<MissionBreakpoint> bp = p.store.openBreakpoint();
        QVERIFY(bp && bp->planHash == missionHash(p.mission));
        QVERIFY2(bp->photos >= int(photos.size()),
                 qPrintable(QStringLiteral("%1 < %2").arg(bp->photos).arg(photos.size())));
        QVERIFY(p.start());
        QVERIFY(flyToTheEnd(p) >= int(p.parts.size()) - 1);
        const std::vector<FlightModel::Point> resumed = cardPositions(p.f.model());
        photos.insert(photos.end(), resumed.begin(), resumed.end());
        const Coverage c = coverage(p.mission, photos);
        QVERIFY2(c.faults.isEmpty(), qPrintable(report(c)));
        QVERIFY2(c.duplicates <= 1, qPrintable(QString::number(c.duplicates)));
    }

    // A resume is refused for a plan changed since, and for one flown to its end; the camera is
    // put back (the gimbal, then the trigger) before the first photo of one from a line's middle.
    void resumeRules()
    {
        const DJIWaypointMission m = plan();
        MissionBreakpoint bp;
        bp.planHash = missionHash(m);
        int line = 0;
        while (cameraStateAfter(m, line).triggerDistance <= 0)
            ++line;
        const double trigger = cameraStateAfter(m, line).triggerDistance;
        bp.reached = {line, 0.5};
        bp.lastPhoto = {line, 0.5};
        const MissionStretch s = resumeStretch(m, bp, 1);
        QVERIFY2(s.refusal.isEmpty(), qPrintable(s.refusal));
        QCOMPARE(s.mission.waypoints.size(), m.waypoints.size() - line);
        QCOMPARE(s.mission.waypoints[0].actions,
                 (QList<DJICameraAction>{DJISetGimbalPitch{cameraStateAfter(m, line).gimbalPitch},
                                         DJIStartDistancePhotos{trigger}}));
        // Back-step 1 takes the last photo again, 2 the one before it too, 0 none.
        const MissionPath path(m);
        const DJIWaypoint photo = path.waypointAt(bp.lastPhoto);
        const auto b = SimulatedDJISDK::toLocal(photo.latitude, photo.longitude);
        for (int backStep : {0, 1, 2}) {
            const DJIWaypoint start = resumeStretch(m, bp, backStep).mission.waypoints[0];
            const auto a = SimulatedDJISDK::toLocal(start.latitude, start.longitude);
            QVERIFY(std::abs(std::hypot(a.east - b.east, a.north - b.north) - std::abs(1 - backStep) * trigger) < 0.01);
        }

        // The plan kept for a resume after a restart reads back to the same plan; a damaged
        // copy is refused with the reason.
        const std::optional<DJIWaypointMission> kept = missionFromJson(missionToJson(m));
        QVERIFY(kept && missionHash(*kept) == bp.planHash);
        for (const char *bad :
             {"", "[]", R"({"speed":8,"waypoints":[]})",
              R"({"speed":8,"waypoints":[{"lat":91,"lon":0,"height":50,"reference":0}]})",
              R"({"speed":8,"waypoints":[{"lat":1,"lon":0,"height":50,"reference":0,"actions":[["zoom"]]}]})"}) {
            QString error;
            QVERIFY2(!missionFromJson(bad, &error) && error.startsWith(QStringLiteral("The kept mission plan")), bad);
        }

        DJIWaypointMission changed = m;
        changed.waypoints[3].height += 1;
        QVERIFY(resumeStretch(changed, bp, 1).refusal.startsWith(QStringLiteral("The plan was changed")));
        bp.finished = true;
        QVERIFY(!resumeStretch(m, bp, 1).refusal.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMultiBattery)
#include "tst_multibattery.moc"
