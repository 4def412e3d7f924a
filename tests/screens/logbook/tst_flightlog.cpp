#include "FlightAnalyticsModel.h"
#include "FlightLog.h"
#include "FlightLogModel.h"
#include "Palette.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(FlightLog)

using namespace zeltrin;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const QString kDash = QStringLiteral("\u2014");
const QDateTime kNow(QDate(2026, 12, 7), QTime(15, 30), Qt::UTC);

FlightLog log(double duration, double altitude, double speed, double distance)
{
    FlightLog l;
    l.date = kNow;
    l.duration = duration;
    l.maxAltitude = altitude;
    l.maxSpeed = speed;
    l.distance = distance;
    l.location = QStringLiteral("Here");
    return l;
}
} // namespace

class TestFlightLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sampleRecords()
    {
        FlightLogModel m(kNow);
        const auto &logs = m.logList();
        QCOMPARE(logs.size(), 2);
        QCOMPARE(logs[0].date, kNow.addSecs(-3600));
        QCOMPARE(logs[1].date, kNow.addSecs(-86400));
        QVERIFY(!logs[0].id.isNull());
        QVERIFY(logs[0].id != logs[1].id);
        QCOMPARE(m.showAdvancedAnalytics(), false);
        QCOMPARE(m.isEmpty(), false);

        // A second screen makes new records.
        FlightLogModel again(kNow);
        QVERIFY(again.logList()[0].id != logs[0].id);
    }

    void sampleRowTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("altitude");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("distance");
        QTest::newRow("an hour ago") << 0 << "December 7, 2026" << "14m 0s" << "87m" << "11.4 m/s" << "1240m";
        QTest::newRow("a day ago") << 1 << "December 6, 2026" << "21m 0s" << "112m" << "14.2 m/s" << "3100m";
    }
    void sampleRowTexts()
    {
        QFETCH(int, row);
        QFETCH(QString, date);
        QFETCH(QString, duration);
        QFETCH(QString, altitude);
        QFETCH(QString, speed);
        QFETCH(QString, distance);
        FlightLogModel m(kNow);
        const QVariantMap r = FlightLogModel::rowTexts(m.logList()[row], QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(r.value("location").toString(), QStringLiteral("Divuze, VO"));
        QCOMPARE(r.value("dateText").toString(), date);
        QCOMPARE(r.value("durationText").toString(), duration);
        QCOMPARE(r.value("altitudeText").toString(), altitude);
        QCOMPARE(r.value("speedText").toString(), speed);
        QCOMPARE(r.value("distanceText").toString(), distance);
        QCOMPARE(m.rows().size(), 2);
    }

    void dateStyle_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "December 7, 2026";
        QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "7 December 2026";
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "7. Dezember 2026";
        QTest::newRow("C") << QLocale::c() << "7 December 2026";
    }
    void dateStyle()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(logDateText(kNow, locale), expected);
        QCOMPARE(logDateText(QDateTime(), locale), kDash);
    }

    void durationText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("840") << 840.0 << "14m 0s";
        QTest::newRow("1260") << 1260.0 << "21m 0s";
        QTest::newRow("3725.9 has no hours") << 3725.9 << "62m 5s";
        QTest::newRow("59.99 truncates") << 59.99 << "0m 59s";
        QTest::newRow("zero") << 0.0 << "0m 0s";
        QTest::newRow("NaN") << kNaN << kDash;
        QTest::newRow("infinity") << kInf << kDash;
        QTest::newRow("minus infinity") << -kInf << kDash;
        QTest::newRow("beyond 64 bits") << 1e19 << kDash;
        QTest::newRow("large but whole") << 6e17 << "10000000000000000m 0s";
    }
    void durationText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, expected);
        QCOMPARE(logDurationText(seconds), expected);
    }

    void measureTexts_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("altitude");
        QTest::addColumn<QString>("speed");
        QTest::newRow("whole") << 87.0 << "87m" << "87.0 m/s";
        QTest::newRow("halves to even") << 0.5 << "0m" << "0.5 m/s";
        QTest::newRow("small negative keeps sign") << -0.4 << "-0m" << "-0.4 m/s";
        QTest::newRow("rounding") << 11.45 << "11m" << "11.4 m/s"; // 11.45 is stored just below
    }
    void measureTexts()
    {
        QFETCH(double, value);
        QFETCH(QString, altitude);
        QFETCH(QString, speed);
        QCOMPARE(logAltitudeText(value), altitude);
        QCOMPARE(logDistanceText(value), altitude);
        QCOMPARE(logSpeedText(value), speed);
    }

    void totalFlightTime_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0.0 << "0h 0m";
        QTest::newRow("3599") << 3599.0 << "0h 59m";
        QTest::newRow("3600") << 3600.0 << "1h 0m";
        QTest::newRow("7384") << 7384.0 << "2h 3m";
        QTest::newRow("3599.99") << 3599.99 << "0h 59m";
        QTest::newRow("NaN") << kNaN << kDash;
        QTest::newRow("infinity") << kInf << kDash;
    }
    void totalFlightTime()
    {
        QFETCH(double, seconds);
        QFETCH(QString, expected);
        QCOMPARE(totalFlightTimeText(seconds), expected);
    }

    void analytics_data()
    {
        QTest::addColumn<QList<FlightLog>>("logs");
        QTest::addColumn<QStringList>("expected"); // flights, time, distance, altitude, speed
        QTest::newRow("samples") << sampleFlightLogs(kNow)
                                 << QStringList{"2", "0h 35m", "4.3 km", "100 m", "12.8 m/s"};
        QTest::newRow("empty") << QList<FlightLog>{} << QStringList{"0", "0h 0m", "0.0 km", "0 m", "0.0 m/s"};
        QTest::newRow("one") << QList<FlightLog>{log(7384, 50, 10, 999)}
                             << QStringList{"1", "2h 3m", "1.0 km", "50 m", "10.0 m/s"};
        QTest::newRow("non-finite duration") << QList<FlightLog>{log(kNaN, 50, 10, 0), log(60, 50, 10, 0)}
                                             << QStringList{"2", kDash, "0.0 km", "50 m", "10.0 m/s"};
        QTest::newRow("overflowing total") << QList<FlightLog>{log(1e308, 0, 0, 0), log(1e308, 0, 0, 0)}
                                           << QStringList{"2", kDash, "0.0 km", "0 m", "0.0 m/s"};
    }
    void analytics()
    {
        QFETCH(QList<FlightLog>, logs);
        QFETCH(QStringList, expected);
        FlightAnalyticsModel m;
        QSignalSpy spy(&m, &FlightAnalyticsModel::logsChanged);
        m.setLogList(logs);
        QCOMPARE(spy.count(), 1);
        const auto &a = m.analytics();
        QCOMPARE(QStringList({a.totalFlights, a.flightTime, a.distance, a.avgAltitude, a.avgSpeed}), expected);

        const QVariantList cards = m.statCards();
        QCOMPARE(cards.size(), 4);
        QCOMPARE(cards[0].toMap().value("value").toString(), expected[0]);
        QCOMPARE(cards[3].toMap().value("label").toString(), QStringLiteral("Avg Altitude"));
        QCOMPARE(cards[3].toMap().value("value").toString(), expected[3]);

        // Fewer than ten flights, none with battery figures: the speed is told, the battery
        // figures are unknown, the bars empty, and every trend waits for more flights.
        const QVariantList bars = m.performanceMetrics();
        QCOMPARE(bars.size(), 3);
        QCOMPARE(bars[0].toMap().value("value").toString(), expected[4]);
        QCOMPARE(bars[1].toMap().value("value").toString(), kDash);
        QCOMPARE(bars[2].toMap().value("value").toString(), kDash);
        for (const QVariant &b : bars)
            QCOMPARE(b.toMap().value("percentage").toDouble(), 0.0);
        const QVariantList trends = m.trends();
        QCOMPARE(trends.size(), 3);
        QStringList titles;
        for (const QVariant &t : trends) {
            titles << t.toMap().value("title").toString();
            QCOMPARE(t.toMap().value("description").toString(), QStringLiteral("Not enough flights yet"));
            QCOMPARE(t.toMap().value("icon").toString(), QStringLiteral("hourglass"));
            QCOMPARE(t.toMap().value("color").value<QColor>(), palette().themeGrey);
        }
        QCOMPARE(titles, (QStringList{"Flight Duration", "Altitude Spread", "Battery Use"}));
    }

    // Ten flights give every bar and trend; each trend's look follows its direction.
    void trendsLookTheirDirection()
    {
        QList<FlightLog> logs;
        for (int i = 0; i < 10; ++i) // newest first: the last five 20 % longer, twice as spread
            logs << log(i < 5 ? 720 : 600, i < 5 ? 40.0 + 30 * (i % 2) : 45.0 + 10 * (i % 2), 10, 1000);
        FlightAnalyticsModel m;
        m.setLogList(logs);
        const QVariantList trends = m.trends();
        const QVariantMap duration = trends[0].toMap(), spread = trends[1].toMap(), battery = trends[2].toMap();
        QCOMPARE(duration.value("title").toString(), QStringLiteral("Flight Duration Increasing"));
        QCOMPARE(duration.value("description").toString(), QStringLiteral("+20% over last 5 flights"));
        QCOMPARE(duration.value("icon").toString(), QStringLiteral("arrow.up.right"));
        QCOMPARE(duration.value("color").value<QColor>(), palette().themeGreen);
        // Standard deviations: 14.7 m against 4.9 m.
        QCOMPARE(spread.value("title").toString(), QStringLiteral("Altitude Spread Increasing"));
        QCOMPARE(spread.value("description").toString(), QStringLiteral("15 m over last 5 flights, was 5 m"));
        QCOMPARE(spread.value("color").value<QColor>(), palette().themeBlue);
        // The list carries no battery figures.
        QCOMPARE(battery.value("description").toString(), QStringLiteral("Not enough battery readings yet"));
        QCOMPARE(m.performanceMetrics()[0].toMap().value("percentage").toDouble(), 100.0); // all at 10 m/s
    }

    // The sheet is handed the logbook's list through QML; nothing is lost on the way.
    void listSurvivesVariantRoundTrip()
    {
        FlightLogModel book(kNow);
        FlightAnalyticsModel sheet;
        sheet.setLogs(book.logs());
        QCOMPARE(sheet.analytics().flightTime, QStringLiteral("0h 35m"));
        const auto back = flightLogsFromVariantList(book.logs());
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[1].id, book.logList()[1].id);
        QCOMPARE(back[1].date, book.logList()[1].date);
        QCOMPARE(back[1].maxSpeed, 14.2);

        book.setLogs({});
        QCOMPARE(book.isEmpty(), true);
        QCOMPARE(book.rows().size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestFlightLog)
#include "tst_flightlog.moc"
