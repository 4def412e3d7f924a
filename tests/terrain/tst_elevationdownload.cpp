// Elevation fetched with an offline map area from the local tile server (Terrarium tiles of hills
// made with GDAL), then a 100 ha survey planned over it and flown by the simulated aircraft with
// no network at all.
#include "ElevationData.h"
#include "ElevationImport.h"
#include "ElevationModel.h"
#include "FlightModel.h"
#include "GeneratedHills.h"
#include "LocalPlane.h"
#include "OfflineMaps.h"
#include "SurveyFlight.h"
#include "TerrainFollow.h"
#include "TileServer.h"

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin::offline;
using namespace zeltrin::terrain;

namespace {

const zeltrin::Coordinate kStart{43.0, -84.0}; // the hills' centre
const zeltrin::survey::LocalPlane kPlane{kStart};

GeoBounds around(double halfWidth)
{
    const zeltrin::Coordinate sw = kPlane.toGeo({-halfWidth, -halfWidth});
    const zeltrin::Coordinate ne = kPlane.toGeo({halfWidth, halfWidth});
    return {sw.latitude, sw.longitude, ne.latitude, ne.longitude};
}

} // namespace

class TestElevationDownload : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    TileServer m_server;
    std::unique_ptr<ElevationStore> m_served; // the server's tiles, imported once from the GeoTIFF
    std::unique_ptr<ElevationModel> m_servedModel;

    OfflineMaps::Options options() const
    {
        OfflineMaps::Options o;
        o.storePath = m_dir.filePath(QStringLiteral("offline.mbtiles"));
        o.elevationStorePath = m_dir.filePath(QStringLiteral("elevation.sqlite"));
        o.elevationUrlTemplate = m_server.urlTemplate(QStringLiteral("terrain"));
        o.download.backoffMs = 20;
        o.download.batchMs = 50;
        o.download.batchTiles = 8;
        return o;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        const QString tif = hills::writeGeoTiff(QDir(m_dir.path()), QStringLiteral("hills"), {.cell = 5}, &error);
        QVERIFY2(!tif.isEmpty(), qPrintable(error));
        m_served = std::make_unique<ElevationStore>(m_dir.filePath(QStringLiteral("served.sqlite")));
        const ElevationImportResult r = importElevationModel(*m_served, tif, QStringLiteral("hills"));
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        m_servedModel = std::make_unique<ElevationModel>(*m_served);
        m_servedModel->reload();
        QCOMPARE(m_servedModel->areas().size(), 1);
        QCOMPARE(m_servedModel->areas().first().zoom, OfflineMaps::kElevationMaxZoom);
        m_server.filesLayer = QStringLiteral("terrain");
        for (const ElevationTileBlob &t : m_served->tilesOf(m_servedModel->areas().first().id, true))
            m_server.files.insert(QStringLiteral("/terrain/%1/%2/%3.png").arg(t.z).arg(t.x).arg(t.y), t.png);
        QVERIFY(m_server.listen());
    }

    // One job, one progress: the area's elevation tiles are counted with its imagery, asked
    // first, and go on after the download is cut off mid-way (the app ended) with nothing lost.
    void anAreaComesWithItsGround()
    {
        const GeoBounds area = around(600);
        const qint64 imagery = tileCount(area, 12, 15);
        const qint64 ground = tileSpan(area, OfflineMaps::kElevationMaxZoom).count();
        QVERIFY(ground >= 1);
        m_server.holdAfter = int(ground) + 4; // every elevation tile, then a few of the imagery
        {
            OfflineMaps maps(options());
            QVERIFY(QTest::qWaitFor([&] { return maps.ready(); }, 10000));
            QVERIFY(maps.startDownload(area.south, area.west, area.north, area.east, 12, 15,
                                       m_server.urlTemplate(QStringLiteral("imagery"))));
            QVERIFY(QTest::qWaitFor([&] { return maps.downloadTotal() == imagery + ground; }, 10000));
            QVERIFY(QTest::qWaitFor([&] { return maps.downloadDone() >= ground; }, 20000));
            QVERIFY(maps.downloadDone() < maps.downloadTotal());
            QVERIFY(m_server.paths.first().startsWith(QStringLiteral("/terrain/14/")));
        } // the app ends mid-download
        m_server.holdAfter = -1;
        m_server.releaseAll();
        OfflineMaps maps(options());
        QSignalSpy grounded(&maps, &OfflineMaps::elevationChanged);
        QVERIFY(QTest::qWaitFor(
            [&] { return maps.downloadMessage().endsWith(QStringLiteral("ready for offline use.")); }, 30000));
        QCOMPARE(maps.downloadDone(), imagery + ground);

        ElevationData data(options().elevationStorePath);
        QCOMPARE(data.areas()->count(), 1);
        const QString detail =
            data.areas()->data(data.areas()->index(0), ElevationAreaListModel::DetailRole).toString();
        QVERIFY2(detail.startsWith(QStringLiteral("Zoom 14 \u00b7 ")) && detail.endsWith(QStringLiteral("127.0.0.1")),
                 qPrintable(detail));
        // The downloaded ground is the served ground, sample for sample.
        for (double east = -550; east <= 550; east += 137)
            for (double north = -550; north <= 550; north += 113) {
                const zeltrin::Coordinate at = kPlane.toGeo({east, north});
                const auto got = data.source()->heightAt(at.latitude, at.longitude);
                QVERIFY(got && *got == *m_servedModel->heightAt(at.latitude, at.longitude));
            }

        // Deleting the area takes its ground with it.
        maps.deleteArea(maps.areas()->list().first().id);
        QVERIFY(QTest::qWaitFor([&] { return grounded.size() >= 1 && maps.areas()->list().isEmpty(); }, 10000));
        maps.waitForStore();
        QVERIFY(QTest::qWaitFor(
            [&] {
                ElevationData after(options().elevationStorePath);
                return after.areas()->count() == 0;
            },
            5000));
    }

    // The whole walk with the network off: a 100 ha area's ground downloaded, then a survey
    // planned over it with terrain follow and flown by the simulated aircraft. Not one request
    // leaves the process (every one would pass the proxy), and over the whole flight the
    // aircraft keeps 60 m ± 2 m over the ground (half a metre more for its vertical lag).
    void aSurveyIsFlownOverTheDownloadedHillsOffline()
    {
        const GeoBounds area = around(560);
        {
            OfflineMaps maps(options());
            QVERIFY(QTest::qWaitFor([&] { return maps.ready(); }, 10000));
            QVERIFY(maps.startDownload(area.south, area.west, area.north, area.east, 12, 14,
                                       m_server.urlTemplate(QStringLiteral("imagery"))));
            QVERIFY(QTest::qWaitFor([&] { return !maps.downloadMessage().isEmpty(); }, 30000));
            QVERIFY2(maps.downloadMessage().endsWith(QStringLiteral("ready for offline use.")),
                     qPrintable(maps.downloadMessage()));
        }
        m_server.stop();
        QTcpServer proxy;
        QVERIFY(proxy.listen(QHostAddress::LocalHost));
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.serverPort()));
        const int asked = m_server.requests();

        ElevationData data(options().elevationStorePath);
        QVERIFY(data.source());
        zeltrin::survey::SurveySettings spec;
        for (const auto &[e, n] :
             std::vector<std::pair<double, double>>{{-500, -500}, {500, -500}, {500, 500}, {-500, 500}})
            spec.polygon.append(kPlane.toGeo({e, n}));
        spec.camera = *zeltrin::survey::builtInCameraProfile(QStringLiteral("1-inch 20 MP"));
        spec.height = 60;
        const zeltrin::survey::SurveyFlight survey = zeltrin::survey::planSurvey(spec);
        QVERIFY(survey.ok());
        QList<zeltrin::Coordinate> route;
        for (const zeltrin::survey::SurveyWaypoint &w : survey.waypoints)
            route.append(w.position);
        const FollowPlan plan = followTerrain(route, kStart, *data.source(), {.height = 60, .speed = 8});
        QVERIFY2(plan.ok(), qPrintable(plan.refusal));

        FlightModel sim;
        const double home = *data.source()->heightAt(kStart.latitude, kStart.longitude);
        sim.setGround([&](FlightModel::Point p) -> std::optional<double> {
            const zeltrin::Coordinate at = kPlane.toGeo({p.east, p.north});
            const auto h = data.source()->heightAt(at.latitude, at.longitude);
            return h ? std::optional<double>(*h - home) : std::nullopt;
        });
        std::vector<FlightModel::Waypoint> flown;
        for (const FollowWaypoint &w : plan.waypoints) {
            const auto p = kPlane.toPlane(w.at);
            flown.push_back({{p.east, p.north}, w.height, {}});
        }
        QVERIFY(!sim.startMission(flown, 8));
        double lowest = 1e9, highest = -1e9;
        for (int i = 0; i < 400000 && sim.missionState() != FlightModel::MissionState::finished; ++i) {
            sim.setBatteryCharge(100); // the ground is under test here, not the packs
            sim.step(0.05);
            if (sim.missionWaypoint() >= 1) {
                lowest = std::min(lowest, *sim.heightAboveGround());
                highest = std::max(highest, *sim.heightAboveGround());
            }
        }
        QCOMPARE(sim.missionState(), FlightModel::MissionState::finished);
        QCOMPARE(sim.groundContacts(), 0);
        qInfo("%zu waypoints (%zu added) over %.0f m; over the ground %.2f to %.2f m", plan.waypoints.size(),
              plan.waypoints.size() - size_t(route.size()), plan.profile.back().distance, lowest, highest);
        QVERIFY(lowest >= 58 - 0.5 && highest <= 62 + 0.5);
        QTest::qWait(100); // a request made meanwhile would reach the proxy now
        QCOMPARE(m_server.requests(), asked);
        QVERIFY(!proxy.hasPendingConnections());
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }
};

QTEST_MAIN(TestElevationDownload)
#include "tst_elevationdownload.moc"
