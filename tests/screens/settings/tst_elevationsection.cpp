// Settings' "Elevation Data" by touch: an imported area listed with its datum and source, deleted
// through the confirmation, and an import running on its own thread cancelled from its row with
// nothing kept.
#include "GeneratedHills.h"
#include "ScreenHarness.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestElevationSection : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<ScreenHarness> m_screen;
    ElevationData *m_data = nullptr;

    QQuickItem *item(const char *name) const { return m_screen->find(QString::fromLatin1(name)); }
    QString text(const char *name) const { return item(name)->property("text").toString(); }
    void touchTap(QQuickItem *it)
    {
        QVERIFY(it);
        QVERIFY2(it->isVisible(), qPrintable(it->objectName()));
        m_screen->tap(it, true, 0, 30);
    }

private Q_SLOTS:
    void init()
    {
        ZeltrinPilotApp::Dependencies deps;
        auto data = std::make_unique<ElevationData>(m_dir.filePath(QStringLiteral("elevation.sqlite")));
        m_data = data.get();
        deps.elevation = std::move(data);
        m_screen = std::make_unique<ScreenHarness>(std::move(deps));
        QVERIFY(m_screen->open(QUrl(QStringLiteral("qrc:/Zeltrin/screens/settings/ElevationSection.qml"))));
    }
    void cleanup() { m_screen.reset(); }

    void importedThenDeleted()
    {
        QVERIFY(item("elevationEmpty")->isVisible());
        QString error;
        const QString tif = hills::writeGeoTiff(QDir(m_dir.path()), QStringLiteral("hills"), {}, &error);
        QVERIFY2(!tif.isEmpty(), qPrintable(error));
        QCOMPARE(m_data->importNow(tif), QString());
        QTRY_VERIFY(item("elevationAreaDetail"));
        QCOMPARE(text("elevationAreaDetail"),
                 QStringLiteral("Zoom 13 \u00b7 10.0 m \u00b7 EGM96 (sea level) \u00b7 hills.tif"));
        QVERIFY(!item("elevationEmpty")->isVisible());

        touchTap(item("deleteElevationArea"));
        touchTap(m_screen->findShown(QStringLiteral("destructiveAction")));
        QTRY_COMPARE(m_data->areas()->count(), 0);
        QTRY_VERIFY(item("elevationEmpty")->isVisible());
    }

    // A sparse 20 km square at 1 m (thousands of tiles to warp): long enough to catch running.
    void importCancelledFromItsRow()
    {
        const QString big = m_dir.filePath(QStringLiteral("big.tif"));
        QProcess gdal;
        gdal.start(QStringLiteral("gdal_create"),
                   {QStringLiteral("-q"),
                    QStringLiteral("-of"),
                    QStringLiteral("GTiff"),
                    QStringLiteral("-outsize"),
                    QStringLiteral("20000"),
                    QStringLiteral("20000"),
                    QStringLiteral("-ot"),
                    QStringLiteral("Float32"),
                    QStringLiteral("-a_srs"),
                    QStringLiteral("EPSG:32616"),
                    QStringLiteral("-a_ullr"),
                    QStringLiteral("734533"),
                    QStringLiteral("4775182"),
                    QStringLiteral("754533"),
                    QStringLiteral("4755182"),
                    QStringLiteral("-co"),
                    QStringLiteral("SPARSE_OK=YES"),
                    QStringLiteral("-co"),
                    QStringLiteral("TILED=YES"),
                    big});
        QVERIFY(gdal.waitForFinished(60000) && gdal.exitCode() == 0);

        m_data->importModel(QUrl::fromLocalFile(big));
        QVERIFY(m_data->importing());
        QQuickItem *row = item("importElevation");
        QTRY_VERIFY(m_screen->findShown(QStringLiteral("Cancel"), row));
        QVERIFY(m_screen->findWhere(
            [](QQuickItem *i) { return i->property("text").toString().startsWith(QStringLiteral("Importing\u2026 ")); },
            row));
        touchTap(row);
        QTRY_VERIFY_WITH_TIMEOUT(!m_data->importing(), 20000);
        QCOMPARE(text("elevationNotice"),
                 QStringLiteral("The import of \u201cbig\u201d was cancelled: nothing was kept."));
        QCOMPARE(m_data->areas()->count(), 0);
        QVERIFY(item("elevationEmpty")->isVisible());
    }
};

QTEST_MAIN(TestElevationSection)
#include "tst_elevationsection.moc"
