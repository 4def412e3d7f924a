#include "PlanFormats.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::MissionPlan;
using zeltrin::PlanReadResult;
using namespace zeltrin::planio;

namespace {
MissionPlan twoWaypoints()
{
    MissionPlan p;
    p.waypoints = {{43.0, -84.0}, {43.003, -83.997}};
    p.altitude = 50;
    p.speed = 8;
    p.terrainFollow = false;
    return p;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestPlanFiles : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }

private Q_SLOTS:
    void refusesBeforeReading_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing.plan" << qint64(-1) << "the file does not exist";
        QTest::newRow("empty") << "empty.plan" << qint64(0) << "the file is empty";
        QTest::newRow("over 50 MB") << "huge.kml" << kMaxFileBytes + 1 << "the file is larger than 50 MB";
    }
    void refusesBeforeReading()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QString, reason);
        const QString p = m_dir.filePath(name);
        if (size >= 0) {
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(size)); // sparse: nothing is written
        }
        const PlanReadResult r = readPlanFile(p);
        QVERIFY(!r.ok());
        QCOMPARE(r.error, reason);
    }

    void savesEveryFormatByName_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {"m.plan", "m.waypoints", "m.txt", "m.kml", "m.kmz", "m.geojson", "Ünïcødé 航路.plan"})
            QTest::newRow(n) << QString::fromUtf8(n);
    }
    void savesEveryFormatByName()
    {
        QFETCH(QString, name);
        const QString p = m_dir.filePath(name);
        const auto f = formatForPath(p);
        QVERIFY(f);
        QCOMPARE(savePlanFile(twoWaypoints(), p, *f), QString());
        const PlanReadResult r = readPlanFile(p);
        QVERIFY2(r.ok(), qPrintable(r.error));
        QCOMPARE(r.plan->waypoints, twoWaypoints().waypoints);
    }

    // The save goes through a temporary file: a failed save leaves the old file as it was and
    // no temporary behind.
    void failedSaveKeepsTheOldFile()
    {
        const QString p = path("keep.plan");
        writeFile(p, "old");
        QDir(m_dir.path()).mkdir("ro");
        const QString ro = path("ro");
        QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner);
        const QString inRo = ro + "/x.plan";
        if (QFile f(ro + "/probe"); f.open(QIODevice::WriteOnly))
            QSKIP("running as root: a read-only folder is writable");
        QVERIFY(!savePlanFile(twoWaypoints(), inRo, Format::QgcPlan).isEmpty());
        QVERIFY(!QFile::exists(inRo));

        QCOMPARE(savePlanFile(twoWaypoints(), p, Format::QgcPlan), QString());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"keep.plan"});
    }

    void saveReplacesAtomically()
    {
        const QString p = path("replace.plan");
        writeFile(p, "old contents");
        QCOMPARE(savePlanFile(twoWaypoints(), p, Format::QgcPlan), QString());
        QVERIFY(readPlanFile(p).ok());
        const QStringList left = QDir(m_dir.path()).entryList({"replace.plan*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{"replace.plan"});
    }

    void unknownExtension()
    {
        QVERIFY(!formatForPath("plan.docx"));
        QVERIFY(!formatForPath("noextension"));
        QCOMPARE(formatForPath("A.KML"), Format::Kml);
    }
};

QTEST_GUILESS_MAIN(TestPlanFiles)
#include "tst_planfiles.moc"
