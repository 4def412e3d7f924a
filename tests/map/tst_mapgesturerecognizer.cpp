#include "MapGestureRecognizer.h"

#include <QTest>

#include <cmath>

namespace {

using TouchPoint = MapGestureRecognizer::TouchPoint;

// A recognizer on a driven clock, with what it reported: the discrete reports in order, the
// moves summed.
struct Recorded {
    qint64 now = 1000;
    QStringList events;
    QPointF pan;
    double zoom = 1, rotation = 0;
    QPointF zoomAnchor;
    bool nextTapHitsMarker = false;
    bool nextPressHolds = false;
    MapGestureRecognizer gestures{reports(), [this] { return now; }};

    static QString at(QPointF p) { return QStringLiteral("%1,%2").arg(p.x()).arg(p.y()); }
    MapGestureRecognizer::Reports reports()
    {
        MapGestureRecognizer::Reports r;
        r.pan = [this](QPointF d) { pan += d; };
        r.zoom = [this](double f, QPointF a) {
            zoom *= f;
            zoomAnchor = a;
        };
        r.rotate = [this](double d) { rotation += d; };
        r.fling = [this](QPointF v) {
            events << QStringLiteral("fling %1,%2").arg(v.x(), 0, 'f', 2).arg(v.y(), 0, 'f', 2);
        };
        r.tap = [this](QPointF p) {
            events << "tap " + at(p);
            if (std::exchange(nextTapHitsMarker, false))
                gestures.forgetTap();
        };
        r.doubleTap = [this](QPointF p) { events << "doubleTap " + at(p); };
        r.longPress = [this](QPointF p) { events << "longPress " + at(p); };
        r.holds = [this](QPointF) { return std::exchange(nextPressHolds, false); };
        r.carry = [this](QPointF p) { events << "carry " + at(p); };
        r.drop = [this](QPointF p) { events << "drop " + at(p); };
        return r;
    }

    // Steps, separated by spaces: "p x,y" press, "m x,y" move, "r x,y" release, "+N" N ms pass
    // and the timer's poll runs, "~N" N ms pass before the timer runs, "c" the grab is lost,
    // "*" the next tap lands on a marker, "h" the next press takes hold of one.
    void run(const QString &script)
    {
        for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QChar kind = step.front();
            const QStringList xy = step.mid(1).split(QLatin1Char(','));
            const QPointF p = xy.size() == 2 ? QPointF(xy[0].toDouble(), xy[1].toDouble()) : QPointF();
            if (kind == QLatin1Char('p'))
                gestures.press(p);
            else if (kind == QLatin1Char('m'))
                gestures.move(p);
            else if (kind == QLatin1Char('r'))
                gestures.release(p);
            else if (kind == QLatin1Char('c'))
                gestures.cancelPointer();
            else if (kind == QLatin1Char('*'))
                nextTapHitsMarker = true;
            else if (kind == QLatin1Char('h'))
                nextPressHolds = true;
            else if (kind == QLatin1Char('~'))
                now += step.mid(1).toLongLong();
            else if (kind == QLatin1Char('+')) {
                now += step.mid(1).toLongLong();
                gestures.poll();
            }
        }
    }
};

} // namespace

// The map's gestures told apart on a driven clock, with no window.
class TestMapGestureRecognizer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One pointer (the mouse, or one finger): taps, double taps, long presses and drags.
    void onePointer_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("reports");
        QTest::addColumn<QPointF>("pan");
        QTest::newRow("a tap") << "p100,600 r100,600"
                               << "tap 100,600" << QPointF();
        QTest::newRow("a press wandering within the slop is a tap") << "p100,600 m105,605 r105,605"
                                                                    << "tap 105,605" << QPointF();
        QTest::newRow("rapid taps at different places") << "p60,600 r60,600 +60 p160,600 r160,600 +60 p260,600 r260,600"
                                                        << "tap 60,600|tap 160,600|tap 260,600" << QPointF();
        QTest::newRow("a double tap") << "p100,600 r100,600 +60 p104,603 r104,603"
                                      << "tap 100,600|doubleTap 104,603" << QPointF();
        // From release to release: the second press may come at once and be held a while.
        QTest::newRow("second tap 249 ms on") << "p100,600 r100,600 +200 p100,600 +49 r100,600"
                                              << "tap 100,600|doubleTap 100,600" << QPointF();
        QTest::newRow("second tap 250 ms on: two taps") << "p100,600 r100,600 +250 p100,600 r100,600"
                                                        << "tap 100,600|tap 100,600" << QPointF();
        QTest::newRow("second tap 39 px off") << "p100,600 r100,600 +60 p139,600 r139,600"
                                              << "tap 100,600|doubleTap 139,600" << QPointF();
        QTest::newRow("second tap 40 px off: two taps") << "p100,600 r100,600 +60 p124,632 r124,632"
                                                        << "tap 100,600|tap 124,632" << QPointF();
        QTest::newRow("a triple tap: a double tap, then a tap")
            << "p100,600 r100,600 +60 p100,600 r100,600 +60 p100,600 r100,600"
            << "tap 100,600|doubleTap 100,600|tap 100,600" << QPointF();
        QTest::newRow("two double taps")
            << "p100,600 r100,600 +60 p100,600 r100,600 +60 p100,600 r100,600 +60 p100,600 r100,600"
            << "tap 100,600|doubleTap 100,600|tap 100,600|doubleTap 100,600" << QPointF();
        QTest::newRow("a tap on a marker begins no double tap") << "* p100,600 r100,600 +60 p100,600 r100,600"
                                                                << "tap 100,600|tap 100,600" << QPointF();
        QTest::newRow("held 499 ms: a tap") << "p100,600 +499 r100,600"
                                            << "tap 100,600" << QPointF();
        QTest::newRow("held 500 ms: a long press, and no tap") << "p100,600 +500 r100,600"
                                                               << "longPress 100,600" << QPointF();
        QTest::newRow("a long press where the finger rests") << "p100,600 m104,605 +300 +200 r104,605"
                                                             << "longPress 104,605" << QPointF();
        QTest::newRow("a long press due at the release counts") << "p100,600 ~500 r100,600"
                                                                << "longPress 100,600" << QPointF();
        QTest::newRow("a long press begins no double tap") << "p100,600 +500 r100,600 +60 p100,600 r100,600"
                                                           << "longPress 100,600|tap 100,600" << QPointF();
        // Past the slop the drag pans from the last position seen, not from the press.
        QTest::newRow("a drag pans and never long-presses") << "p100,600 m105,600 m120,610 +600 m130,610 +100 r130,610"
                                                            << "" << QPointF(25, 10);
        // Both moves in the same millisecond count as 1 ms apart: 12 px/ms, smoothed to
        // 0.7 × 12 = 8.4, then 0.3 × 8.4 + 0.7 × 12 = 10.92.
        QTest::newRow("a quick drag flings") << "p150,400 m162,400 m174,400 r174,400"
                                             << "fling 10.92,0.00" << QPointF(24, 0);
        QTest::newRow("a drag resting 79 ms flings") << "p150,400 m162,400 m174,400 +79 r174,400"
                                                     << "fling 10.92,0.00" << QPointF(24, 0);
        QTest::newRow("a drag resting 80 ms does not fling") << "p150,400 m162,400 m174,400 +80 r174,400"
                                                             << "" << QPointF(24, 0);
        QTest::newRow("a lost grab: no tap, no long press") << "p100,600 c +600 r100,600"
                                                            << "" << QPointF();
        // A press that takes hold of a marker: past the slop the drag carries it, never pans
        // or flings; a tap on it stays a tap; let go where it got to, also on a lost grab.
        QTest::newRow("a held marker is carried") << "h p150,400 m155,400 m162,400 m174,400 r174,400"
                                                  << "carry 162,400|carry 174,400|drop 174,400" << QPointF();
        QTest::newRow("a held marker tapped") << "h p100,600 r100,600"
                                              << "tap 100,600" << QPointF();
        QTest::newRow("a held marker, long-pressed, then carried")
            << "h p100,600 +500 m130,600 r130,600"
            << "longPress 100,600|carry 130,600|drop 130,600" << QPointF();
        QTest::newRow("a carry ends on a lost grab") << "h p100,600 m130,600 c +600 r100,600"
                                                     << "carry 130,600|drop 130,600" << QPointF();
        QTest::newRow("after a carry, a drag pans again")
            << "h p100,600 m130,600 r130,600 +100 p100,600 m130,600 +100 r130,600"
            << "carry 130,600|drop 130,600" << QPointF(30, 0);
        QTest::newRow("a move with nothing pressed") << "m100,600 m200,600 r200,600"
                                                     << "" << QPointF();
    }
    void onePointer()
    {
        QFETCH(QString, script);
        QFETCH(QString, reports);
        QFETCH(QPointF, pan);
        Recorded r;
        r.run(script);
        QCOMPARE(r.events.join(QLatin1Char('|')), reports);
        QCOMPARE(r.pan, pan);
        QCOMPARE(r.zoom, 1.0);
        QVERIFY(!r.gestures.dragging());
    }

    // Two fingers pan, zoom about their midpoint and turn the map; a pinch is never a tap.
    void twoFingers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("rotation");
        // Fingers 60 px apart spread to 180: ×3 about the centre, which stays.
        QTest::newRow("second finger later") << "later" << 3.0 << 0.0;
        QTest::newRow("both fingers at once") << "together" << 3.0 << 0.0;
        QTest::newRow("one finger lifts first") << "lift one" << 3.0 << 0.0;
        // A quarter turn counter-clockwise in ten steps, at a constant spread.
        QTest::newRow("turned") << "turn" << 1.0 << 90.0;
    }
    void twoFingers()
    {
        QFETCH(QString, how);
        QFETCH(double, zoom);
        QFETCH(double, rotation);
        Recorded r;
        const QPointF c(195, 420);
        auto pt = [](int id, QPointF p, QEventPoint::State s) { return TouchPoint{id, p, s}; };
        auto pair = [&](int step) {
            if (how == QLatin1String("turn")) {
                const double a = step * 9.0 * M_PI / 180.0; // counter-clockwise on screen: y up
                const QPointF d(30 * std::cos(a), -30 * std::sin(a));
                return std::pair{c - d, c + d};
            }
            return std::pair{c - QPointF(30 + step * 6, 0), c + QPointF(30 + step * 6, 0)};
        };
        r.run("p100,600 r100,600 +60"); // a tap just before: the pinch is no second tap
        if (how == QLatin1String("together")) {
            r.gestures.touch({pt(0, pair(0).first, QEventPoint::Pressed), pt(1, pair(0).second, QEventPoint::Pressed)});
        } else {
            r.gestures.touch({pt(0, pair(0).first, QEventPoint::Pressed)});
            r.gestures.touch(
                {pt(0, pair(0).first, QEventPoint::Stationary), pt(1, pair(0).second, QEventPoint::Pressed)});
        }
        QVERIFY(r.gestures.pinching());
        for (int i = 1; i <= 10; ++i)
            r.gestures.touch({pt(0, pair(i).first, QEventPoint::Updated), pt(1, pair(i).second, QEventPoint::Updated)});
        const auto [a, b] = pair(10);
        if (how == QLatin1String("lift one")) {
            r.gestures.touch({pt(0, a, QEventPoint::Stationary), pt(1, b, QEventPoint::Released)});
            QVERIFY(r.gestures.pinching());
            r.gestures.touch({pt(0, a, QEventPoint::Released)});
        } else {
            r.gestures.touch({pt(0, a, QEventPoint::Released), pt(1, b, QEventPoint::Released)});
        }
        QVERIFY(!r.gestures.pinching());
        QCOMPARE(r.events.join(QLatin1Char('|')), QStringLiteral("tap 100,600"));
        QVERIFY2(std::abs(r.zoom - zoom) < 1e-9, qPrintable(QString::number(r.zoom)));
        QVERIFY2(std::abs(r.rotation - rotation) < 1e-6, qPrintable(QString::number(r.rotation)));
        QVERIFY(QLineF(r.pan, QPointF()).length() < 1e-9);
        if (zoom != 1.0)
            QCOMPARE(r.zoomAnchor, c);
        // A tap right after is a first tap, not the second of a double.
        r.run("p100,600 r100,600");
        QCOMPARE(r.events.last(), QStringLiteral("tap 100,600"));
    }

    // A wheel notch (120 units) zooms by √2 about the pointer.
    void wheel_data()
    {
        QTest::addColumn<double>("steps");
        QTest::addColumn<double>("zoom");
        QTest::newRow("a notch up") << 1.0 << std::sqrt(2.0);
        QTest::newRow("two notches down") << -2.0 << 0.5;
        QTest::newRow("none") << 0.0 << 1.0;
    }
    void wheel()
    {
        QFETCH(double, steps);
        QFETCH(double, zoom);
        Recorded r;
        r.gestures.wheel(steps, QPointF(40, 50));
        QCOMPARE(r.zoom, zoom);
        if (steps != 0)
            QCOMPARE(r.zoomAnchor, QPointF(40, 50));
    }
};

QTEST_GUILESS_MAIN(TestMapGestureRecognizer)
#include "tst_mapgesturerecognizer.moc"
