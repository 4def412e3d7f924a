#include "FileSizeLimit.h"
#include "PlanFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

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

    // The save goes through a temporary file: a failed save leaves the old file as it was and no
    // temporary behind, whether it cannot begin or is cut short. Each target refuses root too.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("target");                        // in a fresh folder holding keep.plan
        QTest::newRow("a path under a file") << "keep.plan/x.plan"; // ENOTDIR for everyone
        QTest::newRow("a read-only folder") << "ro/x.plan";
        QTest::newRow("over the old file, cut short") << "keep.plan";
    }
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, target);
        QTemporaryDir dir; // its own, so a file left behind shows
        const QString old = dir.filePath("keep.plan");
        writeFile(old, "old");
        QString to = dir.filePath(target);
        if (target.startsWith(u"ro/")) {
            QVERIFY(QDir(dir.path()).mkdir("ro"));
            QVERIFY(QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner));
            // Root writes through a folder's permissions; the kernel keeps /proc/sys closed to
            // root as well.
            if (QFileInfo(dir.filePath("ro")).isWritable())
                to = QStringLiteral("/proc/sys/x.plan");
            const QFileInfo folder(QFileInfo(to).path());
            if (!folder.isDir() || folder.isWritable())
                QSKIP("running as root without /proc/sys: no folder here is read-only to root");
        }
        std::optional<FileSizeLimit> limit; // past 8 bytes nothing is written, by root either
        if (target == u"keep.plan") {
            limit.emplace(8);
            QVERIFY(limit->isSet());
        }
        const QString error = savePlanFile(twoWaypoints(), to, Format::QgcPlan);
        limit.reset();
        QFile kept(old);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        // QSaveFile::commit() (Qt 6.4) reports success when its last flush falls short: a
        // cut-short plan must not replace the old one all the same.
        QCOMPARE(kept.readAll(), QByteArray("old"));
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFileInfo(to).isFile() || to == old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.plan"});

        QCOMPARE(savePlanFile(twoWaypoints(), old, Format::QgcPlan), QString());
        QVERIFY(readPlanFile(old).ok());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.plan"});
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
