// A GeoTIFF made by GDAL's own tools, imported and read back: heights checked against
// gdallocationinfo and against the plane they were made from; geoid separations against
// gdaltransform; refusals and cancel leave the store as it was.
#include "ElevationImport.h"
#include "ElevationModel.h"
#include "ElevationStore.h"
#include "VerticalDatum.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <proj.h>

#include <cmath>

using namespace zeltrin::terrain;

namespace {

// A 2 km square in UTM 32N (near 46.9° N, 9° E), 10 m cells, rising 0.1 m a metre east and
// 0.05 m a metre north, with a 200 m nodata hole in the middle.
constexpr double kEast0 = 500000, kNorth0 = 5200000, kCell = 10;
constexpr int kCells = 200;
double planeAt(double e, double n)
{
    return 400 + 0.1 * (e - kEast0) + 0.05 * (n - kNorth0);
}
bool inHole(double e, double n, double margin)
{
    return e >= kEast0 + 900 - margin && e < kEast0 + 1100 + margin && n >= kNorth0 + 900 - margin
        && n < kNorth0 + 1100 + margin;
}

QString run(const QString &program, const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestElevationImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        // The plane as metres, and as half-metres above 100 m (a scale and offset GDAL records).
        for (const bool scaled : {false, true}) {
            QByteArray asc = QByteArrayLiteral("ncols 200\nnrows 200\nxllcorner 500000\nyllcorner 5200000\n"
                                               "cellsize 10\nNODATA_value -9999\n");
            for (int r = 0; r < kCells; ++r) {
                for (int c = 0; c < kCells; ++c) {
                    const double e = kEast0 + kCell * c + kCell / 2, n = kNorth0 + kCell * (kCells - r) - kCell / 2;
                    const double h = scaled ? (planeAt(e, n) - 100) * 2 : planeAt(e, n);
                    asc += inHole(e, n, 0) ? QByteArray("-9999") : QByteArray::number(h, 'f', 3);
                    asc += c + 1 < kCells ? ' ' : '\n';
                }
            }
            const QString name = scaled ? QStringLiteral("scaled") : QStringLiteral("plane");
            QFile f(file(name + QStringLiteral(".asc")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(asc);
            f.close();
            QStringList args = {QStringLiteral("-q"),
                                QStringLiteral("-a_srs"),
                                QStringLiteral("EPSG:32632"),
                                QStringLiteral("-a_nodata"),
                                QStringLiteral("-9999"),
                                f.fileName(),
                                file(name + QStringLiteral(".tif"))};
            if (scaled)
                args << QStringLiteral("-a_scale") << QStringLiteral("0.5") << QStringLiteral("-a_offset")
                     << QStringLiteral("100");
            run(QStringLiteral("gdal_translate"), args);
        }
        // The same grid with no place on Earth.
        run(QStringLiteral("gdal_translate"),
            {QStringLiteral("-q"), file(QStringLiteral("plane.asc")), file(QStringLiteral("nowhere.tif"))});
        QFile text(file(QStringLiteral("notes.tif")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a raster at all\n");
    }

    void importMatchesGdal_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("scale"); // gdallocationinfo gives raw values
        QTest::addColumn<double>("offset");
        QTest::newRow("metres") << "plane" << 1.0 << 0.0;
        QTest::newRow("scaled and offset") << "scaled" << 0.5 << 100.0;
    }
    void importMatchesGdal()
    {
        QFETCH(QString, name);
        QFETCH(double, scale);
        QFETCH(double, offset);
        const QString tif = file(name + QStringLiteral(".tif"));
        const QString db = file(name + QStringLiteral(".sqlite"));
        ElevationStore store(db);
        double lastProgress = 0;
        const auto result = importElevationModel(store, tif, QStringLiteral("Plane"), [&](double p) {
            QVERIFY(p >= lastProgress);
            lastProgress = p;
        });
        QVERIFY2(result.areaId > 0, qPrintable(result.error));
        QCOMPARE(lastProgress, 1.0);
        const auto areas = store.areas();
        QCOMPARE(areas.size(), 1);
        // 10 m cells at 46.9° N are 14.6 Mercator metres; zoom 13's pixels are 19.1 (13 m on the ground).
        QCOMPARE(areas[0].zoom, 13);
        QVERIFY2(std::abs(areas[0].resolution - 10) < 0.5, qPrintable(QString::number(areas[0].resolution)));
        QCOMPARE(areas[0].datum, QStringLiteral("EGM96 (sea level)"));
        QCOMPARE(areas[0].source, name + QStringLiteral(".tif"));

        // Places on a grid across the square, and two deep in the hole, as longitude and latitude.
        PJ_CONTEXT *ctx = proj_context_create();
        PJ *raw = proj_create_crs_to_crs(ctx, "EPSG:32632", "EPSG:4326", nullptr);
        PJ *utm = proj_normalize_for_visualization(ctx, raw);
        struct Place {
            double e, n, lon, lat;
        };
        QList<Place> places;
        for (int i = 0; i < 10; ++i)
            for (int j = 0; j < 10; ++j)
                places.append({kEast0 + 45 + 211 * i, kNorth0 + 37 + 213 * j, 0, 0});
        places.append({kEast0 + 1000, kNorth0 + 1000, 0, 0});
        places.append({kEast0 + 960, kNorth0 + 1040, 0, 0});
        QByteArray input;
        for (Place &p : places) {
            const PJ_COORD c = proj_trans(utm, PJ_FWD, proj_coord(p.e, p.n, 0, 0));
            p.lon = c.xy.x;
            p.lat = c.xy.y;
            input += QByteArray::number(p.lon, 'f', 9) + ' ' + QByteArray::number(p.lat, 'f', 9) + '\n';
        }
        proj_destroy(utm);
        proj_destroy(raw);
        proj_context_destroy(ctx);
        const QStringList oracle = run(QStringLiteral("gdallocationinfo"),
                                       {QStringLiteral("-valonly"), QStringLiteral("-wgs84"), tif}, input)
                                       .split(QLatin1Char('\n'));
        QVERIFY(oracle.size() >= places.size());

        ElevationModel model(store);
        int compared = 0, voids = 0;
        for (int i = 0; i < places.size(); ++i) {
            const Place &p = places[i];
            const auto h = model.heightAt(p.lat, p.lon);
            const double raw = oracle[i].toDouble();
            const double gdal = raw == -9999 ? raw : raw * scale + offset;
            const QString where = QStringLiteral("E %1 N %2").arg(p.e).arg(p.n);
            if (inHole(p.e, p.n, -40)) {
                QCOMPARE(gdal, -9999.0);
                QVERIFY2(!h, qPrintable(where));
                ++voids;
            } else if (!inHole(p.e, p.n, 40)) {
                QVERIFY2(h, qPrintable(where));
                // gdallocationinfo gives the cell's value; the place is up to 5 m from its centre
                // (0.1·5 + 0.05·5 = 0.75 m), plus the warp's own approximation and the quantum.
                QVERIFY2(std::abs(*h - gdal) <= 0.95,
                         qPrintable(where + QStringLiteral(": %1 vs %2").arg(*h).arg(gdal)));
                // And the plane itself at the place: only the warp's approximation and the quantum.
                QVERIFY2(std::abs(*h - planeAt(p.e, p.n)) <= 0.2,
                         qPrintable(where + QStringLiteral(": %1 vs %2").arg(*h).arg(planeAt(p.e, p.n))));
                ++compared;
            }
        }
        QVERIFY(compared >= 80);
        QCOMPARE(voids, 2);

        // Reopened, the area and its heights are still there.
        ElevationStore again(db);
        ElevationModel reread(again);
        QCOMPARE(reread.areas().size(), 1);
        QVERIFY(reread.heightAt(places[0].lat, places[0].lon));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "absent.tif" << false << "Not a GeoTIFF elevation model";
        QTest::newRow("text") << "notes.tif" << false << "Not a GeoTIFF elevation model";
        QTest::newRow("ascii grid") << "plane.asc" << false << "Not a GeoTIFF elevation model";
        QTest::newRow("no place") << "nowhere.tif" << false << "no georeferencing";
        QTest::newRow("cancelled") << "plane.tif" << true << "";
        // Found by fuzzing: a geocentric EPSG code on a geographic system took PROJ down.
        QTest::newRow("code contradicts the system")
            << "seed:est97-geocentric-code.tif" << false << "contradicts its EPSG code";
        QTest::newRow("no Earth") << "seed:huge-ellipsoid.tif" << false << "not on the Earth's ellipsoid";
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        if (name.startsWith(QLatin1String("seed:"))) {
            name = name.mid(5);
            QFile::remove(file(name));
            QVERIFY(QFile::copy(QStringLiteral(ZELTRIN_FUZZ_SEEDS "/geotiff/") + name, file(name)));
        }
        ElevationStore store(file(QStringLiteral("refusals.sqlite")));
        const std::atomic<bool> stop{cancel};
        const auto result = importElevationModel(store, file(name), name, {}, &stop);
        QCOMPARE(result.areaId, 0);
        QCOMPARE(result.cancelled, cancel);
        QVERIFY2(message.isEmpty() ? result.error.isEmpty() : result.error.contains(message), qPrintable(result.error));
        QVERIFY(store.areas().isEmpty());
        QVERIFY(store.tilesOf(1).isEmpty());
    }

    void geoidMatchesGdaltransform()
    {
        VerticalDatum datum;
        QVERIFY2(datum.isValid(), qPrintable(datum.errorText()));
        QCOMPARE(VerticalDatum::seaLevelName(), QStringLiteral("EGM96 (sea level)"));
        const QList<QPointF> places = {{9, 47}, {0, 0}, {18.4, -33.9}, {-150, 60}, {86.93, 27.99}, {147.3, -42.9}};
        QByteArray input;
        for (const QPointF &p : places)
            input += QByteArray::number(p.x()) + ' ' + QByteArray::number(p.y()) + " 0\n";
        const QStringList lines = run(QStringLiteral("gdaltransform"),
                                      {QStringLiteral("-s_srs"), QStringLiteral("EPSG:4979"), QStringLiteral("-t_srs"),
                                       QStringLiteral("EPSG:4326+5773")},
                                      input)
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), places.size());
        for (int i = 0; i < places.size(); ++i) {
            // gdaltransform gives the sea-level height of a point on the ellipsoid: −N.
            const double n = -lines[i].split(QLatin1Char(' ')).value(2).toDouble();
            const auto ours = datum.geoidSeparation(places[i].y(), places[i].x());
            QVERIFY(ours);
            QVERIFY2(std::abs(*ours - n) < 0.03, qPrintable(QStringLiteral("%1 vs %2").arg(*ours).arg(n)));
            const auto up = datum.toEllipsoidal(places[i].y(), places[i].x(), 500.0);
            QVERIFY(up);
            QVERIFY(std::abs(*datum.toSeaLevel(places[i].y(), places[i].x(), *up) - 500.0) < 0.01);
        }
        QVERIFY(!datum.geoidSeparation(NAN, 0));
        QVERIFY(!datum.geoidSeparation(95, 0));
    }
};

QTEST_GUILESS_MAIN(TestElevationImport)
#include "tst_elevationimport.moc"
