#include "Mission3DPreviewModel.h"
#include "PreviewDotsItem.h"

#include <QTest>

using namespace zeltrin;

class TestMissionPreview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Only the dots that touch the scene are built, whatever the mission's size, and the
    // solid/faded boundary is clamped into that range.
    void dotsCulledToScene_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("progress");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("solidUpTo");
        QTest::newRow("small mission all shown") << 4 << 390.0 << 0.5 << 0 << 3 << 2;
        QTest::newRow("10000 at 390 wide") << 10000 << 390.0 << 0.5 << 4995 << 5006 << 5000;
        QTest::newRow("10000, boundary left of view") << 10000 << 390.0 << 0.1 << 4995 << 5006 << 4994;
        QTest::newRow("10000, boundary right of view") << 10000 << 390.0 << 1.0 << 4995 << 5006 << 5006;
        QTest::newRow("10000 at 1366 wide") << 10000 << 1366.0 << 0.0 << 4983 << 5018 << 4982;
    }
    void dotsCulledToScene()
    {
        QFETCH(int, n);
        QFETCH(double, width);
        QFETCH(double, progress);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, solidUpTo);
        Mission3DPreviewModel preview;
        preview.setWaypointCount(n);
        preview.setAnimationProgress(progress);
        PreviewDotsItem dots;
        dots.setSize({width, 200});
        dots.setPreview(&preview);
        const auto look = dots.currentLook();
        QCOMPARE(int(look.first), first);
        QCOMPARE(int(look.last), last);
        QCOMPARE(int(look.solidUpTo), solidUpTo);
        preview.setShowPath(false);
        QCOMPARE(int(dots.currentLook().last - dots.currentLook().first + 1), 0);
    }
    void estimatedTime_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("2") << 2 << "0:05";
        QTest::newRow("24") << 24 << "1:00";
        QTest::newRow("25") << 25 << "1:02";
        QTest::newRow("0") << 0 << "0:00";
        QTest::newRow("10000") << 10000 << "416:40";
    }
    void estimatedTime()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(preview::estimatedTimeText(n), text);
    }

    void reachedIndex_data()
    {
        QTest::addColumn<double>("p");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("k");
        QTest::newRow("0.5 of 4") << 0.5 << 4 << 2;
        QTest::newRow("0.49 of 4") << 0.49 << 4 << 1;
        QTest::newRow("0") << 0.0 << 4 << 0;
        QTest::newRow("1") << 1.0 << 4 << 4;
        QTest::newRow("NaN") << qQNaN() << 4 << 0;
    }
    void reachedIndex()
    {
        QFETCH(double, p);
        QFETCH(int, n);
        QFETCH(int, k);
        QCOMPARE(preview::reachedIndex(p, n), k);
    }

    void dotOffsets_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<double>>("xs");
        QTest::newRow("2") << 2 << QList<double>{-40, 0};
        QTest::newRow("3") << 3 << QList<double>{-40, 0, 40};
        QTest::newRow("4") << 4 << QList<double>{-80, -40, 0, 40};
    }
    void dotOffsets()
    {
        QFETCH(int, n);
        QFETCH(QList<double>, xs);
        for (int i = 0; i < n; ++i)
            QCOMPARE(preview::dotOffsetX(i, n), xs[i]);
    }

    void aircraft()
    {
        // At p = 1 the aircraft stands one step right of the last dot.
        QCOMPARE(preview::aircraftOffsetX(1.0, 4), 80.0);
        QCOMPARE(preview::aircraftOffsetX(0.0, 4), -80.0);
        QCOMPARE(preview::aircraftRotation(0.25), 90.0);
        QCOMPARE(preview::lift(50, true), -25.0);
        QCOMPARE(preview::lift(50, false), 0.0);
    }

    void sliderDrivesDotsWhenStopped()
    {
        Mission3DPreviewModel m;
        m.setWaypointCount(4);
        m.setAnimationProgress(0.5);
        QVERIFY(m.dotSolid(2) && !m.dotSolid(3));
        m.setAnimationProgress(0.49);
        QVERIFY(m.dotSolid(1) && !m.dotSolid(2));
    }

    void playThenPause()
    {
        Mission3DPreviewModel m;
        m.setWaypointCount(4);
        m.setAltitude(120);
        QCOMPARE(m.altitudeText(), QStringLiteral("120m"));
        m.setSweepMs(200);
        m.setAnimationProgress(0.3);
        m.togglePlayback();
        QVERIFY(m.isAnimating());
        QCOMPARE(m.animationProgress(), 1.0);
        QCOMPARE(m.playButtonText(), QStringLiteral("Pause Animation"));
        // The drawn progress sweeps and wraps while the stored one stays 1.
        double maxSeen = 0;
        bool wrapped = false;
        double last = m.drawnProgress();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500) {
            QTest::qWait(10);
            const double p = m.drawnProgress();
            QVERIFY(p >= 0 && p < 1);
            wrapped = wrapped || p < last;
            maxSeen = std::max(maxSeen, p);
            last = p;
        }
        QVERIFY(wrapped);
        QVERIFY(maxSeen > 0.5);
        QCOMPARE(m.animationProgress(), 1.0);
        m.togglePlayback();
        QVERIFY(!m.isAnimating());
        QCOMPARE(m.animationProgress(), 1.0);
        QCOMPARE(m.drawnProgress(), 1.0);
        QCOMPARE(m.playButtonText(), QStringLiteral("Play Animation"));
        for (int i = 0; i < 4; ++i)
            QVERIFY(m.dotSolid(i));
    }

    void viewAngles()
    {
        QStringList raws;
        for (auto a : view_angle::allCases())
            raws << view_angle::rawValue(a);
        QCOMPARE(raws, (QStringList{"Top", "3D", "Side"}));
        QCOMPARE(view_angle::fromRaw("3D"), std::optional(ViewAngle::perspective));
        QVERIFY(!view_angle::fromRaw("top"));
    }
};

QTEST_MAIN(TestMissionPreview)
#include "tst_missionpreview.moc"
