// The export files as other programs read them: GPSBabel and both of GDAL's KML drivers parse
// our tracks, Python's csv module splits our logbook, and a failed save leaves nothing behind.
#include "FileSizeLimit.h"
#include "FlightExport.h"
#include "PlanFormats.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QScopeGuard>

#include <clocale>
#include <cmath>
#include <limits>

using namespace zeltrin;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const QDateTime kTakeoff(QDate(2026, 12, 9), QTime(10, 15), Qt::UTC);
const qint64 kT0 = kTakeoff.toMSecsSinceEpoch();
// XML's special characters, a comma, and characters XML cannot hold (dropped).
const QString kTrickyPlace = QStringLiteral("Café <Nord> & \"Süd\", Bucht\x01\xD800");
const QString kTrickyName = QStringLiteral("Café <Nord> & \"Süd\", Bucht, 2026-12-09 10:15 UTC");

// Precise coordinates, the poles and the antimeridian, a fraction of a second, an unknown height.
const QList<TrackPoint> kGood = {
    {kT0, 47.397742123, 8.545594456, 0.0},    {kT0 + 1000, 47.398012345, 8.546543210, 12.5},
    {kT0 + 2500, -33.8688197, 151.2092955, 87.2}, {kT0 + 3000, 0.0000003, -0.0000004, 3.0},
    {kT0 + 4000, 90.0, -180.0, -2.5},          {kT0 + 5000, -90.0, 180.0, 120.0},
    {kT0 + 6000, 46.5, 7.25, kNaN},
};
const QList<TrackPoint> kBad = {{kT0, kNaN, 8.0}, {kT0, 47.0, kNaN}, {kT0, kInf, 8.0}, {kT0, 47.0, -kInf},
                                {kT0, 90.0000001, 8.0}, {kT0, 47.0, -180.5}, {kT0, kNaN, kNaN}};

QList<TrackPoint> withBadPoints(const QList<TrackPoint> &good)
{
    QList<TrackPoint> out;
    for (qsizetype i = 0; i < std::max(good.size(), kBad.size()); ++i) {
        out.append(kBad.value(i % kBad.size()));
        if (i < good.size())
            out.append(good[i]);
    }
    return out;
}

FlightRecord flight(const QString &place = QStringLiteral("Lake Zurich"))
{
    FlightRecord f;
    f.log.id = QUuid(QStringLiteral("{0f8e2b4a-1c3d-4e5f-8a9b-0c1d2e3f4a5b}"));
    f.log.date = kTakeoff;
    f.log.duration = 840;
    f.log.maxAltitude = 87.2;
    f.log.maxSpeed = 11.4;
    f.log.distance = 1240;
    f.log.location = place;
    f.end = FlightEnd::landed;
    f.batteryStart = 92;
    f.batteryEnd = 61;
    return f;
}

// A tool's path from the build, or empty. Outside CI a missing tool skips; in CI it fails.
QString tool(const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    return path.isEmpty() || path.endsWith(u"-NOTFOUND") ? QString() : path;
}
#define REQUIRE_TOOL(path, name)                                                                          \
    if (path.isEmpty()) {                                                                                 \
        if (qEnvironmentVariableIsSet("CI"))                                                             \
            QFAIL(name " is not installed; scripts/ensure-deps.sh installs it");                        \
        QSKIP(name " is not installed (scripts/ensure-deps.sh installs it): its reading is not checked"); \
    }

QByteArray run(const QString &program, const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << program << args.join(u' ') << p.readAllStandardError();
        return QByteArrayLiteral("failed");
    }
    return p.readAllStandardOutput();
}

// What a reader saw: the points in order with their heights as the format holds them (GPX's
// <ele> and KML's altitudes; NaN for a missing one), the heights above take-off of our GPX
// extension where the reader gives them, their times where it gives them, and the track's name
// where it reports one.
struct Seen {
    QList<TrackPoint> points;
    QList<double> aboveTakeoff;
    QStringList times;
    QString name;
};

Seen gpsbabelGpx(const QString &path)
{
    Seen s;
    const QList<QByteArray> lines = run(tool("ZELTRIN_GPSBABEL"), {"-t", "-i", "gpx", "-f", path, "-o", "unicsv,utc=0", "-F", "-"})
                                        .trimmed().split('\n');
    const QList<QByteArray> header = lines.first().trimmed().split(',');
    for (const QByteArray &line : lines.mid(1)) {
        const QList<QByteArray> f = line.trimmed().split(',');
        const auto col = [&](const char *c) { return f.value(header.indexOf(c)); };
        const QByteArray alt = col("Altitude");
        s.points.append({0, col("Latitude").toDouble(), col("Longitude").toDouble(), alt.isEmpty() ? kNaN : alt.toDouble()});
        s.times.append(QString::fromLatin1(col("Date").replace('/', '-') + 'T' + col("Time") + 'Z'));
    }
    return s;
}

// GDAL's reading with the given driver (the other KML driver is kept out), as GeoJSON.
// GPX extensions become fields named prefix_element.
QJsonArray gdalFeatures(const QString &path, const QString &driver, const QStringList &layers, QString *layerName = nullptr)
{
    const QString skip = driver == u"KML" ? "LIBKML" : driver == u"LIBKML" ? "KML" : "";
    const QString ogr2ogr = tool("ZELTRIN_OGR2OGR");
    const QString ogrinfo = ogr2ogr.left(ogr2ogr.size() - 7) + QStringLiteral("ogrinfo");
    const QStringList config{"--config", "GDAL_SKIP", skip, "--config", "GPX_USE_EXTENSIONS", "YES"};
    const QByteArray info = run(ogrinfo, config + QStringList{"-ro", "-so", path} + layers);
    if (!info.contains("using driver `" + driver.toLatin1() + "' successful")) {
        qWarning() << info;
        return {};
    }
    const QJsonObject doc = QJsonDocument::fromJson(
                                run(ogr2ogr, config + QStringList{"-f", "GeoJSON", "/vsistdout/", path} + layers))
                                .object();
    if (layerName)
        *layerName = doc.value("name").toString();
    return doc.value("features").toArray();
}

TrackPoint fromJson(const QJsonArray &c)
{
    return {0, c.at(1).toDouble(), c.at(0).toDouble(), c.size() > 2 ? c.at(2).toDouble() : kNaN};
}

Seen gdalGpx(const QString &path)
{
    Seen s;
    for (const QJsonValue &f : gdalFeatures(path, "GPX", {"track_points"})) {
        const QJsonObject props = f.toObject().value("properties").toObject();
        TrackPoint p = fromJson(f.toObject().value("geometry").toObject().value("coordinates").toArray());
        p.altitude = props.value("ele").isDouble() ? props.value("ele").toDouble() : kNaN;
        const QJsonValue height = props.value("zeltrin_heightAboveTakeoff");
        s.aboveTakeoff.append(height.isDouble() ? height.toDouble() : kNaN);
        s.points.append(p);
        s.times.append(props.value("time").toString());
    }
    const QJsonArray tracks = gdalFeatures(path, "GPX", {"tracks"});
    s.name = tracks.first().toObject().value("properties").toObject().value("name").toString();
    return s;
}

Seen gdalKml(const QString &path, const QString &driver)
{
    Seen s;
    QString documentName;
    for (const QJsonValue &f : gdalFeatures(path, driver, {}, &documentName)) {
        const QJsonObject g = f.toObject().value("geometry").toObject();
        if (g.value("type").toString() == u"LineString")
            for (const QJsonValue &c : g.value("coordinates").toArray())
                s.points.append(fromJson(c.toArray()));
    }
    s.name = documentName;
    return s;
}

QString isoTime(qint64 ms)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return t.toString(ms % 1000 ? Qt::ISODateWithMs : Qt::ISODate);
}

// The rows and fields Python's csv module reads.
QList<QStringList> pythonCsv(const QByteArray &csv)
{
    const QByteArray script = "import csv,io,json,sys\n"
                              "text = sys.stdin.buffer.read().decode('utf-8-sig')\n"
                              "print(json.dumps(list(csv.reader(io.StringIO(text, newline='')))))\n";
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(run(tool("ZELTRIN_PYTHON3"), {"-c", script}, csv)).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}
} // namespace

Q_DECLARE_METATYPE(FlightRecord)
Q_DECLARE_METATYPE(QList<TrackPoint>)

class TestFlightExport : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        // India's offset has no daylight saving and a half hour, so local names are plainly local.
        qputenv("TZ", "IST-5:30");
        QVERIFY(m_dir.isValid());
    }

    void csvRow_data()
    {
        QTest::addColumn<FlightRecord>("record");
        QTest::addColumn<QByteArray>("row");
        const QByteArray id = "0f8e2b4a-1c3d-4e5f-8a9b-0c1d2e3f4a5b,";
        QTest::newRow("every field") << flight() << id + "2026-12-09T10:15:00Z,840.0,87.2,11.40,1240.0,Lake Zurich,31,landed";
        FlightRecord f = flight();
        f.batteryStart = -1;
        QTest::newRow("battery unknown at take-off") << f << id + "2026-12-09T10:15:00Z,840.0,87.2,11.40,1240.0,Lake Zurich,,landed";
        f = flight();
        f.batteryEnd = -1;
        f.end = FlightEnd::linkLost;
        QTest::newRow("battery unknown at the end") << f << id + "2026-12-09T10:15:00Z,840.0,87.2,11.40,1240.0,Lake Zurich,,link-lost";
        f = flight();
        f.batteryStart = 50, f.batteryEnd = 51;
        f.end = FlightEnd::interrupted;
        QTest::newRow("battery rose by one") << f << id + "2026-12-09T10:15:00Z,840.0,87.2,11.40,1240.0,Lake Zurich,-1,interrupted";
        f = flight();
        f.log.duration = 0.25, f.log.maxAltitude = 87.25, f.log.maxSpeed = 11.375, f.log.distance = -0.04;
        f.log.date = kTakeoff.addMSecs(250);
        QTest::newRow("printf rounding, milliseconds") << f << id + "2026-12-09T10:15:00.250Z,0.2,87.2,11.38,0.0,Lake Zurich,31,landed";
        f = flight();
        f.log.duration = kNaN, f.log.maxAltitude = kInf, f.log.maxSpeed = -kInf, f.log.distance = kNaN;
        f.log.date = QDateTime();
        f.end = FlightEnd::open;
        QTest::newRow("not finite, no date") << f << id + ",,,,,Lake Zurich,31,open";
    }
    void csvRow()
    {
        QFETCH(FlightRecord, record);
        QFETCH(QByteArray, row);
        const QByteArray csv = logbookCsv({record});
        QCOMPARE(csv, "\xEF\xBB\xBF" "id,date,duration,maxAltitude,maxSpeed,distance,location,batteryUsed,endReason\r\n" + row + "\r\n");
    }

    // What a spreadsheet must read back as text, never as a formula or split cells.
    void csvLocation_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QByteArray>("field"); // as written
        QTest::addColumn<QString>("read");     // as a CSV reader gives it back
        const auto row = [](const char *name, const QString &place, const QByteArray &field, const QString &read) {
            QTest::newRow(name) << place << field << read;
        };
        row("plain", "Zürich", "Zürich", "Zürich");
        row("empty", "", "", "");
        row("comma", "Bern, CH", "\"Bern, CH\"", "Bern, CH");
        row("quotes", "The \"Lake\"", "\"The \"\"Lake\"\"\"", "The \"Lake\"");
        row("line feed", "a\nb", "\"a\nb\"", "a\nb");
        row("CR LF", "a\r\nb", "\"a\r\nb\"", "a\r\nb");
        row("control character", "a\x01" "b", "ab", "ab");
        row("equals inside", "Lake = Zurich", "Lake = Zurich", "Lake = Zurich");
        row("formula", "=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\"", "'=HYPERLINK(\"http://x\")");
        row("plus", "+41 Bay", "'+41 Bay", "'+41 Bay");
        row("minus", "-2+3", "'-2+3", "'-2+3");
        row("at", "@SUM(A1)", "'@SUM(A1)", "'@SUM(A1)");
        row("tab", "\tx", "'\tx", "'\tx");
        row("after spaces", "  =1+1", "'  =1+1", "'  =1+1");
        row("full-width equals", "\uFF1D1+1", "'\xEF\xBC\x9D" "1+1", "'\uFF1D1+1");
        row("formula with comma", "=A1,B", "\"'=A1,B\"", "'=A1,B");
    }
    void csvLocation()
    {
        QFETCH(QString, place);
        QFETCH(QByteArray, field);
        QFETCH(QString, read);
        const QByteArray csv = logbookCsv({flight(place)});
        QVERIFY2(csv.contains(",31,landed\r\n") && csv.contains("1240.0," + field + ",31,landed\r\n"), csv.constData());

        const QString python = tool("ZELTRIN_PYTHON3");
        REQUIRE_TOOL(python, "python3");
        const QList<QStringList> rows = pythonCsv(csv);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].size(), 9);
        QCOMPARE(rows[1].size(), 9);
        QCOMPARE(rows[1][6], read);
    }

    // The process locale and Qt's default locale change no byte of any file or name.
    void localeIndependent_data()
    {
        QTest::addColumn<QByteArray>("cLocale");
        QTest::addColumn<QLocale>("qtLocale");
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << QLocale(QLocale::German, QLocale::Germany);
        QTest::newRow("fr_FR") << QByteArray("fr_FR.UTF-8") << QLocale(QLocale::French, QLocale::France);
        QTest::newRow("ar_EG") << QByteArray("ar_EG.UTF-8") << QLocale(QLocale::Arabic, QLocale::Egypt);
    }
    void localeIndependent()
    {
        QFETCH(QByteArray, cLocale);
        QFETCH(QLocale, qtLocale);
        const auto everything = [] {
            FlightRecord f = flight();
            f.log.maxSpeed = 1234567.891;
            return QList<QByteArray>{logbookCsv({f}), flightGpx(f, kGood), flightKml(f, kGood),
                                     exportFileName(f, "gpx").toUtf8(), logbookFileName(kTakeoff).toUtf8()};
        };
        const QList<QByteArray> inC = everything();
        const std::string before = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, cLocale.constData())) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("the locale is not installed; scripts/ensure-deps.sh generates it");
            QSKIP("the locale is not installed (scripts/ensure-deps.sh generates it)");
        }
        QLocale::setDefault(qtLocale);
        const QList<QByteArray> there = everything();
        std::setlocale(LC_ALL, before.c_str());
        QLocale::setDefault(QLocale::c());
        QCOMPARE(there, inC);
        QVERIFY(inC[0].contains(",1234567.89,"));
    }

    void readersSeeOurTrack_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QList<TrackPoint>>("points");
        QTest::addColumn<QList<TrackPoint>>("expected");
        QTest::addColumn<bool>("named");     // the reader reports the track's name
        QTest::addColumn<double>("takeoff"); // the take-off's height above sea level; NaN: unknown
        const QList<TrackPoint> one = {kGood.first()};
        for (const char *reader : {"GPSBabel GPX", "GDAL GPX", "GDAL KML", "GDAL LIBKML"}) {
            const bool kml = QByteArray(reader).endsWith("KML"), gdal = QByteArray(reader).startsWith("GDAL");
            QTest::addRow("%s, track", reader) << reader << kGood << kGood << gdal << kNaN;
            QTest::addRow("%s, bad points among good", reader)
                << reader << withBadPoints(kGood) << kGood << gdal << kNaN;
            // KML without a placemark is a document GDAL finds no layer in.
            QTest::addRow("%s, only bad points", reader)
                << reader << kBad << QList<TrackPoint>() << (gdal && !kml) << kNaN;
            QTest::addRow("%s, empty", reader)
                << reader << QList<TrackPoint>() << QList<TrackPoint>() << (gdal && !kml) << kNaN;
            // A line needs two positions: one sample is a take-off point alone.
            QTest::addRow("%s, one point", reader)
                << reader << one << (kml ? QList<TrackPoint>() : one) << gdal << kNaN;
            QTest::addRow("%s, take-off elevation known", reader) << reader << kGood << kGood << gdal << 431.5;
        }
    }
    void readersSeeOurTrack()
    {
        QFETCH(QString, reader);
        QFETCH(QList<TrackPoint>, points);
        QFETCH(QList<TrackPoint>, expected);
        QFETCH(bool, named);
        QFETCH(double, takeoff);
        const bool gpx = reader.endsWith(u"GPX");
        const QString path = m_dir.filePath(gpx ? "track.gpx" : "track.kml");
        const std::optional<double> elevation = std::isnan(takeoff) ? std::nullopt : std::optional<double>(takeoff);
        QCOMPARE(writeExportFile(path,
                                 gpx ? flightGpx(flight(kTrickyPlace), points, elevation)
                                     : flightKml(flight(kTrickyPlace), points, elevation)),
                 QString());
        const QString babel = tool("ZELTRIN_GPSBABEL"), gdal = tool("ZELTRIN_OGR2OGR");
        if (reader.startsWith(u"GPSBabel")) {
            REQUIRE_TOOL(babel, "gpsbabel");
        } else {
            REQUIRE_TOOL(gdal, "ogr2ogr (gdal-bin)");
        }
        const Seen seen = reader == u"GPSBabel GPX" ? gpsbabelGpx(path)
            : reader == u"GDAL GPX"                 ? gdalGpx(path)
                                                    : gdalKml(path, reader.section(u' ', 1));

        QCOMPARE(seen.points.size(), expected.size());
        // GPSBabel prints six decimals and heights to a tenth; GDAL keeps what we wrote.
        const double tolerance = reader.startsWith(u"GPSBabel") ? 1e-6 : 1e-9;
        const auto same = [tolerance](double seen, double expected) {
            // An unknown height is left out: nothing, or the reader's 0.
            return std::isnan(expected) ? std::isnan(seen) || seen == 0 : std::abs(seen - expected) <= tolerance;
        };
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const TrackPoint &s = seen.points[i], &e = expected[i];
            QVERIFY2(std::abs(s.latitude - e.latitude) <= tolerance && std::abs(s.longitude - e.longitude) <= tolerance,
                     qPrintable(QStringLiteral("point %1: %2,%3").arg(i).arg(s.latitude, 0, 'g', 12).arg(s.longitude, 0, 'g', 12)));
            // Above sea level with the take-off's elevation (GPX and KML); without it GPX has
            // no elevation and KML draws the height above take-off over the ground.
            const double height = !std::isnan(takeoff) ? takeoff + e.altitude : gpx ? kNaN : e.altitude;
            QVERIFY2(same(s.altitude, height), qPrintable(QStringLiteral("height %1: %2").arg(i).arg(s.altitude)));
            if (!seen.aboveTakeoff.isEmpty())
                QVERIFY2(same(seen.aboveTakeoff[i], e.altitude),
                         qPrintable(QStringLiteral("above take-off %1").arg(i)));
            if (!seen.times.isEmpty())
                QCOMPARE(seen.times[i], isoTime(e.timeMs));
        }
        if (named)
            QCOMPARE(seen.name, kTrickyName);
    }

    // Photos go before the track as waypoints "Photo n"; one without a usable position is left
    // out. GPSBabel reads them as waypoints, and the track as before.
    void photosAreWaypoints()
    {
        const QString babel = tool("ZELTRIN_GPSBABEL");
        REQUIRE_TOOL(babel, "gpsbabel");
        const QList<PhotoRecord> photos{{1, kT0 + 1500, 47.3978, 8.5461, 60, 90, -90},
                                        {2, kT0 + 2000, kNaN, 8.5462, 60, 90, -90},
                                        {3, kT0 + 3000, 47.3979, 8.5463, kNaN, 90, -90}};
        const QString path = m_dir.filePath("photos.gpx");
        QCOMPARE(writeExportFile(path, flightGpx(flight(), kGood, std::nullopt, photos)), QString());
        const QList<QByteArray> lines =
            run(babel, {"-w", "-i", "gpx", "-f", path, "-o", "unicsv,utc=0", "-F", "-"}).trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        const QList<QByteArray> header = lines[0].trimmed().split(',');
        for (int i : {0, 1}) {
            const QList<QByteArray> f = lines[i + 1].trimmed().split(',');
            const PhotoRecord &p = photos[i * 2];
            // unicsv quotes a name with a space in it.
            QCOMPARE(f.value(header.indexOf("Name")), "\"Photo " + QByteArray::number(p.number) + '"');
            QCOMPARE(f.value(header.indexOf("Latitude")).toDouble(), p.latitude);
            QCOMPARE(f.value(header.indexOf("Longitude")).toDouble(), p.longitude);
        }
        QCOMPARE(gpsbabelGpx(path).points.size(), kGood.size());
    }

    // Only a height above sea level is written as one: GPX's <ele> and KML's "absolute" wait
    // for the take-off's elevation. Our plan reader takes the export back with the first
    // sample's height: 0 m above take-off, or 431.5 m above sea level from a KML that has it.
    void heightReferences_data()
    {
        QTest::addColumn<bool>("gpx");
        QTest::addColumn<double>("takeoff");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QString ours = QStringLiteral("xmlns:zeltrin=\"https://zeltrin.app/xmlns/gpx/1\"");
        QTest::newRow("GPX, elevation unknown")
            << true << kNaN << QStringList{ours, "<zeltrin:heightAboveTakeoff>12.50<"} << QStringList{"<ele>"};
        QTest::newRow("GPX, elevation known")
            << true << 431.5 << QStringList{"<ele>444.00</ele>", "<zeltrin:heightAboveTakeoff>12.50<"} << QStringList{};
        QTest::newRow("GPX, elevation not finite")
            << true << kInf << QStringList{"heightAboveTakeoff>12.50<"} << QStringList{"<ele>"};
        QTest::newRow("KML, elevation unknown")
            << false << kNaN << QStringList{"relativeToGround", ",12.50 ", "<value>takeoff<"}
            << QStringList{"absolute", "sealevel"};
        QTest::newRow("KML, elevation known")
            << false << 431.5 << QStringList{"absolute", ",444.00 ", "<value>sealevel<"}
            << QStringList{"relativeToGround", "takeoff"};
    }
    void heightReferences()
    {
        QFETCH(bool, gpx);
        QFETCH(double, takeoff);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        const std::optional<double> elevation = std::isnan(takeoff) ? std::nullopt : std::optional<double>(takeoff);
        const QByteArray file = gpx ? flightGpx(flight(), kGood, elevation) : flightKml(flight(), kGood, elevation);
        for (const QString &text : present)
            QVERIFY2(file.contains(text.toUtf8()), qPrintable(text));
        for (const QString &text : absent)
            QVERIFY2(!file.contains(text.toUtf8()), qPrintable(text));
        const PlanReadResult r = planio::readPlan(file);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints.size(), kGood.size());
        const bool seaLevel = std::isfinite(takeoff) && !gpx;
        QCOMPARE(r.plan->altitude.value_or(kNaN), seaLevel ? takeoff : 0.0);
        QCOMPARE(r.plan->altitudeReference, seaLevel ? HeightReference::SeaLevel : HeightReference::TakeOff);
    }

    void fileNames_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("flightName");
        QTest::addColumn<QString>("logbookName");
        QTest::newRow("local time") << kTakeoff << "gpx" << "flight-2026-12-09-1545.gpx" << "logbook-2026-12-09.csv";
        QTest::newRow("next day here") << kTakeoff.addSecs(9 * 3600) << "kml" << "flight-2026-12-10-0045.kml" << "logbook-2026-12-10.csv";
        QTest::newRow("suffix cleaned") << kTakeoff << ".G/P\\X:*" << "flight-2026-12-09-1545.gpx" << "logbook-2026-12-09.csv";
        QTest::newRow("no suffix") << kTakeoff << "" << "flight-2026-12-09-1545" << "logbook-2026-12-09.csv";
        QTest::newRow("no date") << QDateTime() << "csv" << "flight-0f8e2b4a.csv" << "logbook.csv";
        QTest::newRow("year beyond 9999") << QDateTime(QDate(12000, 1, 1), QTime(0, 0), Qt::UTC) << "gpx" << "flight-0f8e2b4a.gpx" << "logbook.csv";
    }
    void fileNames()
    {
        QFETCH(QDateTime, date);
        QFETCH(QString, suffix);
        QFETCH(QString, flightName);
        QFETCH(QString, logbookName);
        FlightRecord f = flight();
        f.log.date = date;
        QCOMPARE(exportFileName(f, suffix), flightName);
        QCOMPARE(logbookFileName(date), logbookName);
    }

    // A save replaces the old file whole; a failed one says why and leaves no file behind.
    void save_data()
    {
        QTest::addColumn<QString>("folder"); // inside a fresh temporary folder
        QTest::addColumn<QString>("reason"); // empty when the save succeeds
        QTest::newRow("replaces the old file") << "writable" << "";
        QTest::newRow("missing folder") << "missing/deeper" << "the folder does not exist";
        QTest::newRow("folder is a file") << "plain-file" << "plain-file is a file, not a folder";
        QTest::newRow("read-only folder") << "read-only" << "the folder is read-only";
        QTest::newRow("a folder in the way") << "in-the-way" << "a folder of that name is in the way";
    }
    void save()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("in-the-way/flight.gpx");
        QDir(dir.path()).mkdir("writable");
        QDir(dir.path()).mkdir("read-only");
        QFile old(dir.filePath("writable/flight.gpx"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("older and longer contents than the track") > 0);
        old.close();
        QFile(dir.filePath("plain-file")).open(QIODevice::WriteOnly);
        QFile::setPermissions(dir.filePath("read-only"), QFile::ReadOwner | QFile::ExeOwner);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(dir.filePath("read-only"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        QString folderPath = dir.filePath(folder);
        if (folder == u"read-only" && QFileInfo(folderPath).isWritable()) {
            // Root writes through a folder's permissions; the kernel keeps /proc/sys closed to
            // root as well.
            folderPath = QStringLiteral("/proc/sys");
            if (!QFileInfo(folderPath).isDir() || QFileInfo(folderPath).isWritable())
                QSKIP("running as root without /proc/sys: no folder here is read-only to root");
        }

        const QString path = folderPath + "/flight.gpx";
        const QByteArray bytes = flightGpx(flight(), kGood);
        QCOMPARE(writeExportFile(path, bytes), reason.isEmpty() ? QString() : "Could not save flight.gpx: " + reason);
        QFile written(path);
        if (reason.isEmpty())
            QVERIFY(written.open(QIODevice::ReadOnly) && written.readAll() == bytes);
        else
            QVERIFY(!QFileInfo(path).isFile());
        const QStringList expected = reason.isEmpty() ? QStringList{"flight.gpx"} : QStringList();
        if (QFileInfo(folderPath).isDir())
            QCOMPARE(QDir(folderPath).entryList(QDir::Files | QDir::Hidden), expected);
    }

    // A disk that fills up midway (a size limit binds root too): the old file stays whole.
    void saveCutShortKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("flight.gpx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QString error;
        {
            FileSizeLimit limit(8);
            QVERIFY(limit.isSet());
            error = writeExportFile(path, flightGpx(flight(), kGood));
        }
        QVERIFY2(error.startsWith("Could not save flight.gpx: the file could not be written ("), qPrintable(error));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"flight.gpx"});
    }
};

QTEST_GUILESS_MAIN(TestFlightExport)
#include "tst_flightexport.moc"
