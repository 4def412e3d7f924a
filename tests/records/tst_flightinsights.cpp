// The analytics' metrics and trends, worked by hand on ten flights; the store's sums against
// the same sums over its flights; and the PDF report read back by pdftotext.
#include "FlightExport.h"
#include "FlightInsights.h"
#include "FlightReport.h"
#include "FlightStore.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace zeltrin;

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 15), Qt::UTC);

FlightRecord flight(int daysAgo, double duration, double altitude, double speed, double distance, int batteryStart,
                    int batteryEnd, const QString &place = QStringLiteral("Ridge"))
{
    FlightRecord r;
    r.log.date = kNow.addDays(-daysAgo);
    r.log.duration = duration;
    r.log.maxAltitude = altitude;
    r.log.maxSpeed = speed;
    r.log.distance = distance;
    r.log.location = place;
    r.batteryStart = batteryStart;
    r.batteryEnd = batteryEnd;
    r.end = FlightEnd::landed;
    return r;
}

// Newest first. The last five: 690 s, 50 m, 10 m/s, 2300 m on 23 % (2.0 %/min, 100 m/%).
// The five before: 600 s, 40/60/40/60/50 m (spread: standard deviation sqrt(80) = 8.9 m),
// 2400 m on 30 % (3.0 %/min, 80 m/%); the oldest flew 16 m/s, the others 10.
QList<FlightRecord> tenFlights()
{
    QList<FlightRecord> out;
    for (int i = 0; i < 5; ++i)
        out << flight(i, 690, 50, 10, 2300, 90, 67);
    const double heights[] = {40, 60, 40, 60, 50};
    for (int i = 0; i < 5; ++i)
        out << flight(5 + i, 600, heights[i], i == 4 ? 16 : 10, 2400, 90, 60);
    return out;
}

QStringList trendTexts(const FlightInsights &in)
{
    return {in.duration.title,   in.duration.description,  in.altitudeSpread.title, in.altitudeSpread.description,
            in.batteryUse.title, in.batteryUse.description};
}

const QStringList kBaseTrends{"Flight Duration Increasing", "+15% over last 5 flights",
                              "Altitude Spread Decreasing", "0 m over last 5 flights, was 9 m",
                              "Battery Use Decreasing",     "2.0%/min over last 5 flights, was 3.0%/min"};
const QStringList kNotEnough{"Flight Duration", "Not enough flights yet", "Altitude Spread", "Not enough flights yet",
                             "Battery Use",     "Not enough flights yet"};

QString tool(const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    return path.isEmpty() || path.endsWith(u"-NOTFOUND") ? QString() : path;
}

} // namespace

using Change = std::function<void(QList<FlightRecord> &)>;
Q_DECLARE_METATYPE(Change)

class TestFlightInsights : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void insightsWorkedByHand_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("efficiency");
        QTest::addColumn<double>("efficiencyBar");
        QTest::addColumn<QStringList>("trends");
        QTest::newRow("ten flights") << Change([](auto &) {}) << "89 m/%" << 100 * 23500.0 / 265 / 100 << kBaseTrends;
        // Left out, not taken as 0 % (that would make the last five 1.6 %/min): 21200 m on 242 %.
        QTest::newRow("unknown battery") << Change([](auto &f) { f[2].batteryStart = -1; }) << "88 m/%" << 21200.0 / 242
                                         << kBaseTrends;
        QTest::newRow("charge rose") << Change([](auto &f) { f[3].batteryEnd = 95; }) << "88 m/%" << 21200.0 / 242
                                     << kBaseTrends;
        // +3 % in time; both spreads 0; 31 % over 10.3 min is 3.01 %/min against 3.0. 74.2 and 80 m/%.
        QTest::newRow("steady") << Change([](auto &f) {
            for (int i = 0; i < 5; ++i) {
                f[i].log.duration = 618;
                f[i].batteryEnd = 59;
                f[5 + i].log.maxAltitude = 50;
            }
        }) << "77 m/%" << 100 * (23500.0 / 305) / 80
                                << QStringList{"Flight Duration Steady", "+3% over last 5 flights",
                                               "Altitude Spread Steady", "0 m over last 5 flights, was 0 m",
                                               "Battery Use Steady",     "3.0%/min over last 5 flights, was 3.0%/min"};
        // 510 s is -15 %; 23 % over 8.5 min is 2.7 %/min.
        QTest::newRow("shorter") << Change([](auto &f) {
            for (int i = 0; i < 5; ++i)
                f[i].log.duration = 510;
        }) << "89 m/%" << 100 * 23500.0 / 265 / 100
                                 << QStringList{"Flight Duration Decreasing",
                                                "-15% over last 5 flights",
                                                kBaseTrends[2],
                                                kBaseTrends[3],
                                                "Battery Use Decreasing",
                                                "2.7%/min over last 5 flights, was 3.0%/min"};
        // Too short a flight to judge distance per percent: 1000 m on 2 % is not the best.
        QTest::newRow("a short hop, oldest") << Change([](auto &f) { f << flight(20, 120, 30, 8, 1000, 50, 48); })
                                             << "89 m/%" << 100 * 23500.0 / 265 / 100 << kBaseTrends;
        QTest::newRow("nine flights") << Change([](auto &f) { f.removeLast(); }) << "90 m/%" << 0.0 << kNotEnough;
    }
    void insightsWorkedByHand()
    {
        QFETCH(Change, change);
        QFETCH(QString, efficiency);
        QFETCH(double, efficiencyBar);
        QFETCH(QStringList, trends);
        QList<FlightRecord> flights = tenFlights();
        change(flights);
        const FlightInsights in = computeInsights(totalsOf(flights), flights);
        QCOMPARE(in.efficiency.value, efficiency);
        QVERIFY2(qAbs(in.efficiency.percentage - efficiencyBar) < 1e-9,
                 qPrintable(QString::number(in.efficiency.percentage)));
        QCOMPARE(trendTexts(in), trends);
    }

    // The other two bars, and what each measures against.
    void barsAgainstThePilotsOwnFlights()
    {
        QList<FlightRecord> flights = tenFlights();
        FlightInsights in = computeInsights(totalsOf(flights), flights);
        QVERIFY(in.enoughFlights);
        QCOMPARE(in.averageSpeed.value, QStringLiteral("10.6 m/s"));
        QCOMPARE(in.averageSpeed.percentage, 100 * 10.6 / 16); // the mean of the highest speeds, of the fastest
        QCOMPARE(in.averageSpeed.reference, QStringLiteral("fastest flight: 16.0 m/s"));
        QCOMPARE(in.efficiency.reference, QStringLiteral("best flight: 100 m/%"));
        // The latest flight drew 2.0 %/min, less than the average of 265 % over 107.5 min: full.
        QCOMPARE(in.batteryUsage.value, QStringLiteral("2.0%/min"));
        QCOMPARE(in.batteryUsage.reference, QStringLiteral("average: 2.5%/min"));
        QCOMPARE(in.batteryUsage.percentage, 100.0);
        // A latest flight at 4.0 %/min fills the bar to 265 / 112.25 min (2.36) / 4.0 = 59 %.
        flights[0].log.duration = 345;
        in = computeInsights(totalsOf(flights), flights);
        QCOMPARE(in.batteryUsage.value, QStringLiteral("4.0%/min"));
        QVERIFY(qAbs(in.batteryUsage.percentage - 100 * (265 / (107.5 - 5.75)) / 4.0) < 1e-9);
        // With fewer than ten flights the figures stay and the bars are empty.
        flights.removeFirst();
        in = computeInsights(totalsOf(flights), flights);
        QVERIFY(!in.enoughFlights);
        QCOMPARE(in.averageSpeed.percentage, 0.0);
        QCOMPARE(in.batteryUsage.percentage, 0.0);
        QCOMPARE(in.batteryUsage.value, QStringLiteral("2.0%/min"));
        // No battery figure anywhere: nothing to show, rather than zero.
        for (FlightRecord &f : flights)
            f.batteryEnd = -1;
        in = computeInsights(totalsOf(flights), flights);
        QCOMPARE(in.efficiency.value, QStringLiteral("\u2014"));
        QCOMPARE(in.batteryUsage.value, QStringLiteral("\u2014"));
    }

    // The store sums in SQL what totalsOf() sums in C++.
    void storeSumsMatchTheFlights()
    {
        QTemporaryDir dir;
        FlightStore store(dir.filePath(QStringLiteral("flights.sqlite")));
        QList<FlightRecord> flights = tenFlights();
        flights[2].batteryStart = -1;
        flights[3].batteryEnd = 95;
        flights << flight(20, 120, 30, 8, 1000, 50, 48) << flight(21, 0, 0, 0, 0, 80, 80);
        for (const FlightRecord &f : flights) {
            QVERIFY(store.beginFlight(f));
            QVERIFY(store.finishFlight(f));
        }
        const FlightTotals sql = store.totals(), cpp = totalsOf(store.flights());
        QCOMPARE(sql.count, 12);
        QCOMPARE(sql.fastest, cpp.fastest);
        QCOMPARE(sql.batteryFlights, cpp.batteryFlights);
        QCOMPARE(sql.batteryFlights, 9); // the unknown, the risen and the one without a duration left out
        QCOMPARE(sql.batteryUsed, cpp.batteryUsed);
        QVERIFY(qAbs(sql.batteryMinutes - cpp.batteryMinutes) < 1e-9);
        QCOMPARE(sql.efficiencyDistance, cpp.efficiencyDistance);
        QCOMPARE(sql.efficiencyBattery, cpp.efficiencyBattery);
        QCOMPARE(sql.bestEfficiency, cpp.bestEfficiency);
        QVERIFY(sql.latestBatteryPerMinute && cpp.latestBatteryPerMinute);
        QCOMPARE(*sql.latestBatteryPerMinute, *cpp.latestBatteryPerMinute);
    }

    // pdftotext finds every figure of the sheet in the report, and each flight in its table.
    void reportReadsBackWithPdftotext()
    {
        const QString pdftotext = tool("ZELTRIN_PDFTOTEXT");
        if (pdftotext.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("pdftotext is not installed; scripts/ensure-deps.sh installs it");
            QSKIP("pdftotext is not installed (scripts/ensure-deps.sh installs it): the report is not read back");
        }
        QList<FlightRecord> flights = tenFlights();
        flights[0].log.location = QStringLiteral("Z\u00FCrich <Lake> & Co");
        flights[1].batteryStart = -1;
        QList<FlightLog> logs;
        for (const FlightRecord &f : flights)
            logs << f.log;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(analyticsReportFileName(kNow));
        QCOMPARE(QFileInfo(pdf).fileName(), QStringLiteral("analytics-2026-12-09.pdf"));
        const QByteArray bytes = analyticsReportPdf(computeAnalytics(logs), computeInsights(totalsOf(flights), flights),
                                                    flights, kNow, QLocale(QLocale::English));
        QVERIFY(bytes.startsWith("%PDF-"));
        QCOMPARE(writeExportFile(pdf, bytes), QString());
        QProcess p;
        p.start(pdftotext,
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        // 6450 s is 1h 47m; 23500 m; the mean of the highest altitudes is 50 m.
        for (const QString &want :
             {QStringLiteral("Advanced Analytics"), QStringLiteral("Total Flights"), QStringLiteral("1h 47m"),
              QStringLiteral("23.5 km"), QStringLiteral("50 m"), QStringLiteral("Average Speed 10.6 m/s 66%"),
              QStringLiteral("fastest flight: 16.0 m/s"), QStringLiteral("Flight Efficiency 88 m/% 88%"),
              QStringLiteral("best flight: 100 m/%"), QStringLiteral("Battery Usage"),
              QStringLiteral("Flight Duration Increasing"), QStringLiteral("+15% over last 5 flights"),
              QStringLiteral("Altitude Spread Decreasing"), QStringLiteral("Battery Use Decreasing"),
              QStringLiteral("2.0%/min over last 5 flights, was 3.0%/min"), QStringLiteral("Z\u00FCrich <Lake> & Co"),
              QStringLiteral("11m 30s 50m 10.0 m/s 2300m 23%"), QStringLiteral("10m 0s 50m 16.0 m/s 2400m 30%"),
              QStringLiteral("2300m \u2014")})
            QVERIFY2(text.contains(want), qPrintable(want + QStringLiteral(" not in: ") + text));
        QCOMPARE(text.count(QStringLiteral("Ridge")), 9);
    }
};

QTEST_MAIN(TestFlightInsights)
#include "tst_flightinsights.moc"
