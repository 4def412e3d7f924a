// The return-to-home sheet's figures against the simulated flight home on a driven clock, and
// the battery-aware return they drive: the aircraft turns home at what the sheet says it needs.
#include "DashboardModel.h"
#include "FakeDJISDK.h"
#include "RTHSheetModel.h"
#include "SimFlight.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>

namespace {

using namespace simflight;

QStringList shown(const RTHSheetModel &sheet)
{
    QStringList out;
    for (const QVariant &c : sheet.calculations())
        out << c.toMap().value(QStringLiteral("value")).toString();
    return out;
}

const QString kDash = QStringLiteral("\u2014");

// The aircraft hovering `distance` metres north of home at `height`, after a mission there.
bool flyOut(Flight &f, double distance, double height)
{
    if (!f.connectAircraft())
        return false;
    f.manager.executeMission(mission({SimulatedDJISDK::toLatLon({0, distance})}, height, 10));
    f.flyUntil([&] { return f.manager.missionState() == QLatin1String("finished"); }, 900);
    f.fly(3);
    return f.manager.missionState() == QLatin1String("finished") && f.failures.isEmpty();
}

} // namespace

class TestRTHSheet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The estimate against the battery and time the flight home really took, from three
    // distances (and heights: one below the return height, so it climbs first) in calm air and
    // in 8 m/s blowing from home, a headwind all the way back.
    void estimateMatchesTheFlightHome_data()
    {
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("height");
        QTest::addColumn<double>("wind");
        for (double wind : {0.0, 8.0})
            for (auto [d, h] : {std::pair{200.0, 20.0}, std::pair{600.0, 40.0}, std::pair{1200.0, 60.0}})
                QTest::addRow("%.0f m at %.0f m, wind %.0f m/s", d, h, wind) << d << h << wind;
    }
    void estimateMatchesTheFlightHome()
    {
        QFETCH(double, distance);
        QFETCH(double, height);
        QFETCH(double, wind);
        Flight f;
        f.model().setBatteryCharge(100);
        f.model().setWind({0, wind}); // air moving north, away from home: from the south
        QVERIFY(flyOut(f, distance, height));
        RTHSheetModel sheet;
        sheet.setDrone(&f.manager);
        const std::optional<DJIReturnEstimate> e = sheet.estimate();
        QVERIFY(e);
        QCOMPARE(shown(sheet)[0], QString::asprintf("%.0fm", f.manager.flightData().distanceFromHome));
        QCOMPARE(shown(sheet)[1], QString::asprintf("%.0f%%", e->flightBattery + RTHSheetModel::kInitialReserve));
        sheet.setIncludeWindCalculation(false);
        const double windless = sheet.estimate()->flightBattery;

        const double before = f.model().charge();
        f.manager.returnToHome();
        const double seconds = f.flyUntil([&] { return !f.manager.isFlying(); }, 900);
        QVERIFY(!f.manager.isFlying());
        const double used = before - f.model().charge();
        qInfo("%.0f m, %.0f m high, wind %.0f m/s: estimate %.2f %% in %.0f s, flown %.2f %% in %.0f s (%+.1f %%);"
              " without the wind %.2f %%",
              distance, height, wind, e->flightBattery, e->seconds, used, seconds,
              100 * (e->flightBattery - used) / used, windless);
        QVERIFY(qAbs(e->flightBattery - used) <= 0.1 * used);
        QVERIFY(qAbs(e->seconds - seconds) <= 0.1 * seconds);
        // A headwind left out of the sums leaves the pilot short.
        if (wind > 0)
            QVERIFY(windless < 0.9 * used);
    }

    void figuresAsShown()
    {
        RTHSheetModel sheet;
        QCOMPARE(shown(sheet), (QStringList{kDash, kDash, kDash})); // no aircraft
        Flight f;
        sheet.setDrone(&f.manager);
        QCOMPARE(shown(sheet), (QStringList{kDash, kDash, kDash})); // not connected
        QVERIFY(f.connectAircraft());
        f.fly(0.2);
        // On the ground at home it needs only the reserve.
        QCOMPARE(shown(sheet), (QStringList{"0m", "15%", "0:00"}));
        sheet.setReservePercentage(22.4);
        QCOMPARE(shown(sheet)[1], QStringLiteral("22%"));
        f.sdk.dropLink();
        QCOMPARE(shown(sheet), (QStringList{kDash, kDash, kDash})); // the last values are not live
    }

    // An aircraft that does not say what flying costs it: the distance, and no guess.
    void aircraftWithoutAProfile()
    {
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        drone.setLogSink([](const QString &) {});
        sdk.connectAircraft(QStringLiteral("Other"));
        DJITelemetryReading r;
        FlightData fd = FlightData::zero;
        fd.distanceFromHome = 412.4;
        r.flightData = fd;
        r.isFlying = true;
        sdk.reportTelemetry(r);
        RTHSheetModel sheet;
        sheet.setDrone(&drone);
        QCOMPARE(shown(sheet), (QStringList{"412m", kDash, kDash}));
    }

    void timeText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("2:30") << 150.0 << "2:30";
        QTest::newRow("rounded up") << 149.5 << "2:30";
        QTest::newRow("rounded down") << 59.4 << "0:59";
        QTest::newRow("an hour") << 3600.0 << "60:00";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << kDash;
        QTest::newRow("beyond any clock") << 1e300 << kDash;
    }
    void timeText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(RTHSheetModel::timeText(seconds), text);
    }

    // With the mode on, the aircraft turns home at what the flight home needs with the reserve,
    // or at the trigger level, whichever comes first; the alert says which.
    void turnsHomeAtWhatItNeeds_data()
    {
        QTest::addColumn<double>("charge");
        QTest::addColumn<double>("trigger");
        QTest::addColumn<double>("distance");
        QTest::addColumn<bool>("byEstimate");
        QTest::newRow("the way home first") << 45.0 << 15.0 << 4000.0 << true;
        QTest::newRow("the trigger first") << 53.0 << 50.0 << 400.0 << false;
    }
    void turnsHomeAtWhatItNeeds()
    {
        QFETCH(double, charge);
        QFETCH(double, trigger);
        QFETCH(double, distance);
        QFETCH(bool, byEstimate);
        Flight f;
        QVERIFY(f.connectAircraft());
        DashboardModel dashboard;
        dashboard.setDrone(&f.manager);
        RTHSheetModel sheet;
        sheet.setLink(dashboard.rthLink());
        sheet.setDrone(&f.manager);
        sheet.setBatteryThreshold(trigger);
        sheet.setIsEnabled(true);
        f.settle();
        QVERIFY(dashboard.rthEnabled());
        f.model().setBatteryCharge(charge);
        f.manager.executeMission(mission({SimulatedDJISDK::toLatLon({0, distance})}, 40, 10));
        double shownAtTurn = 0;
        f.flyUntil(
            [&] {
                if (f.model().phase() == FlightModel::Phase::goingHome)
                    return true;
                shownAtTurn = sheet.estimate()->battery; // what the pilot read just before
                return false;
            },
            900);
        QCOMPARE(f.model().phase(), FlightModel::Phase::goingHome);
        QCOMPARE(f.alerts.size(), 1);
        if (byEstimate) {
            static const QRegularExpression said(
                QStringLiteral("^Battery low \\((\\d+)% needed to get home with the reserve\\): returning home$"));
            const QRegularExpressionMatch m = said.match(f.alerts[0]);
            QVERIFY2(m.hasMatch(), qPrintable(f.alerts[0]));
            QVERIFY(qAbs(m.captured(1).toDouble() - shownAtTurn) <= 1);
            QVERIFY(f.model().charge() > trigger);
        } else {
            QCOMPARE(f.alerts[0], QStringLiteral("Battery low (RTH Trigger 50%): returning home"));
        }
        const double atTurn = f.model().charge();
        f.flyUntil([&] { return !f.manager.isFlying(); }, 900);
        QVERIFY(!f.manager.isFlying());
        QVERIFY(f.manager.flightData().distanceFromHome < 0.5);
        // Home with the reserve left, give or take the estimate's 10 %.
        if (byEstimate)
            QVERIFY2(qAbs(f.model().charge() - RTHSheetModel::kInitialReserve) <= 0.1 * (atTurn - f.model().charge()),
                     qPrintable(QString::number(f.model().charge())));
    }
};

QTEST_GUILESS_MAIN(TestRTHSheet)
#include "tst_rthsheet.moc"
