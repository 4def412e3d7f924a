#include "FakeDJISDK.h"
#include "SimFlight.h"
#include "TelemetryModel.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

class TestTelemetryModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sectionsInOrder()
    {
        QStringList titles, labels;
        for (const QVariant &s : TelemetryModel::sections()) {
            titles << s.toMap().value("title").toString();
            for (const QVariant &r : s.toMap().value("rows").toList())
                labels << r.toMap().value("label").toString();
        }
        QCOMPARE(titles, (QStringList{"Battery", "Flight Data", "GPS", QStringLiteral("Wind Estimation \u2605")}));
        QCOMPARE(labels.size(), 15);
        QCOMPARE(labels.first(), QStringLiteral("Charge"));
        QCOMPARE(labels.last(), QStringLiteral("Est. Wind Dir."));
        // Every row has a value.
        TelemetryModel model;
        for (const QString &l : labels)
            QVERIFY2(!model.valueFor(l).isEmpty(), qPrintable(l));
    }

    void initialValues_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("value");
        QTest::newRow("charge") << "Charge" << "0%";
        QTest::newRow("voltage") << "Voltage" << "0.00 V";
        QTest::newRow("temperature") << "Temperature" << QStringLiteral("0.0 \u00B0C");
        QTest::newRow("cycles") << "Cycle Count" << "0";
        QTest::newRow("time left") << "Est. Time Left" << "0m 0s";
        QTest::newRow("altitude") << "Altitude (AGL)" << "0.00 m";
        QTest::newRow("ground speed") << "Ground Speed" << "0.00 m/s";
        QTest::newRow("vertical speed") << "Vertical Speed" << "+0.00 m/s";
        QTest::newRow("heading") << "Heading" << QStringLiteral("0.0\u00B0");
        QTest::newRow("home") << "Distance from Home" << "0.0 m";
        QTest::newRow("latitude") << "Latitude" << QStringLiteral("0.000000\u00B0");
        QTest::newRow("longitude") << "Longitude" << QStringLiteral("0.000000\u00B0");
        QTest::newRow("gps") << "Signal Level" << "0/4";
        QTest::newRow("wind speed") << "Est. Wind Speed" << QStringLiteral("\u2014 m/s");
        QTest::newRow("wind dir") << "Est. Wind Dir." << QStringLiteral("\u2014\u00B0");
    }

    void initialValues()
    {
        QFETCH(QString, label);
        QFETCH(QString, value);
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        TelemetryModel model;
        model.setDrone(&drone);
        QCOMPARE(model.valueFor(label), value);
    }

    void liveValues_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<double>("input");
        QTest::addColumn<QString>("value");
        QTest::newRow("time left 59") << "Est. Time Left" << 59.0 << "0m 59s";
        QTest::newRow("time left 60") << "Est. Time Left" << 60.0 << "1m 0s";
        QTest::newRow("time left 754") << "Est. Time Left" << 754.0 << "12m 34s";
        QTest::newRow("time left -61") << "Est. Time Left" << -61.0 << "-1m -1s";
        QTest::newRow("latitude") << "Latitude" << 47.3977419 << QStringLiteral("47.397742\u00B0");
        QTest::newRow("longitude negative") << "Longitude" << -122.4194 << QStringLiteral("-122.419400\u00B0");
        QTest::newRow("v.speed -0.004") << "Vertical Speed" << -0.004 << "-0.00 m/s";
        QTest::newRow("v.speed 0") << "Vertical Speed" << 0.0 << "+0.00 m/s";
        QTest::newRow("v.speed 1.235") << "Vertical Speed" << 1.236 << "+1.24 m/s";
        QTest::newRow("gps excellent") << "Signal Level" << 4.0 << "4/4";
        QTest::newRow("voltage") << "Voltage" << 15.834 << "15.83 V";
        QTest::newRow("heading") << "Heading" << 359.96 << QStringLiteral("360.0\u00B0");
        QTest::newRow("charge") << "Charge" << 19.0 << "19%";
        QTest::newRow("cycles") << "Cycle Count" << 123.0 << "123";
    }

    void liveValues()
    {
        QFETCH(QString, label);
        QFETCH(double, input);
        QFETCH(QString, value);
        FakeDJISDK sdk;
        DJIDroneManager drone(&sdk);
        TelemetryModel model;
        model.setDrone(&drone);
        QSignalSpy spy(&model, &TelemetryModel::valuesChanged);
        BatteryInfo b;
        FlightData f = FlightData::zero;
        if (label == "Est. Time Left") b.estimatedFlightTime = qint64(input);
        if (label == "Charge") b.percentage = qint64(input);
        if (label == "Cycle Count") b.chargeCount = qint64(input);
        if (label == "Voltage") b.voltage = input;
        if (label == "Latitude") f.latitude = input;
        if (label == "Longitude") f.longitude = input;
        if (label == "Vertical Speed") f.verticalSpeed = input;
        if (label == "Heading") f.heading = input;
        if (label == "Altitude (AGL)") f.altitude = input;
        drone.setBattery(b);
        drone.setFlightData(f);
        drone.setGpsSignal(label == "Signal Level" ? DJIDroneManager::GPSLevel::excellent : DJIDroneManager::GPSLevel::none);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(model.valueFor(label), value);
    }

    // The simulated aircraft's wind (speed, and where it blows from), while its estimate is live;
    // the placeholders once the link is gone.
    void liveWind_data()
    {
        QTest::addColumn<double>("east"); // where the air moves, m/s
        QTest::addColumn<double>("north");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("direction");
        QTest::newRow("from the south") << 0.0 << 8.0 << "8.0 m/s" << QStringLiteral("180\u00B0");
        QTest::newRow("from the north-west") << 2.1 << -1.4 << "2.5 m/s" << QStringLiteral("304\u00B0");
        QTest::newRow("from the east") << -3.0 << 0.0 << "3.0 m/s" << QStringLiteral("90\u00B0");
        QTest::newRow("from just west of north") << 0.01 << -0.3 << "0.3 m/s" << QStringLiteral("358\u00B0");
        QTest::newRow("calm") << 0.0 << 0.0 << "0.0 m/s" << QStringLiteral("0\u00B0");
    }
    void liveWind()
    {
        QFETCH(double, east);
        QFETCH(double, north);
        QFETCH(QString, speed);
        QFETCH(QString, direction);
        simflight::Flight f;
        TelemetryModel model;
        model.setDrone(&f.manager);
        QVERIFY(f.connectAircraft());
        f.model().setWind({east, north});
        f.fly(0.1);
        QCOMPARE(model.valueFor(QStringLiteral("Est. Wind Speed")), speed);
        QCOMPARE(model.valueFor(QStringLiteral("Est. Wind Dir.")), direction);
        QSignalSpy spy(&model, &TelemetryModel::valuesChanged);
        f.sdk.dropLink();
        QVERIFY(spy.count() > 0);
        QCOMPARE(model.valueFor(QStringLiteral("Est. Wind Speed")), QStringLiteral("\u2014 m/s"));
        QCOMPARE(model.valueFor(QStringLiteral("Est. Wind Dir.")), QStringLiteral("\u2014\u00B0"));
    }

    void extremeTimeLeftDoesNotOverflow()
    {
        QCOMPARE(TelemetryModel::timeLeftText(std::numeric_limits<qint64>::min()),
                 QStringLiteral("-153722867280912930m -8s"));
    }
};

QTEST_GUILESS_MAIN(TestTelemetryModel)
#include "tst_telemetrymodel.moc"
