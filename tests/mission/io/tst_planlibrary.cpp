// The plan library's folder work on real files: names, the listing and its order, what is read
// of each file, save, rename, delete and import, and a save killed part way.
#include "PlanFormats.h"
#include "PlanLibrary.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::MissionPlan;
using namespace zeltrin::planio;

namespace {
MissionPlan line(int n, double lat = 47.30)
{
    MissionPlan p;
    for (int i = 0; i < n; ++i)
        p.waypoints.append({lat + 0.001 * i, 8.50});
    p.altitude = 60;
    return p;
}

void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified = {})
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
    QVERIFY(f.flush()); // else the close, writing the rest, sets the time again
    if (modified.isValid())
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList namesOf(const QList<LibraryEntry> &entries)
{
    QStringList out;
    for (const LibraryEntry &e : entries)
        out << e.name;
    return out;
}

// Files keep 9 decimals of a degree.
bool sameWaypoints(const QList<zeltrin::Coordinate> &a, const QList<zeltrin::Coordinate> &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto &p, const auto &q) {
               return std::abs(p.latitude - q.latitude) < 1e-9 && std::abs(p.longitude - q.longitude) < 1e-9;
           });
}

const QDateTime kNow = QDateTime::currentDateTime().addSecs(-60);
} // namespace

class TestPlanLibrary : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PlanLibrary> m_lib;
    QString path(const QString &name) const { return m_lib->pathOf(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_lib = std::make_unique<PlanLibrary>(m_dir->filePath("plans"));
        QVERIFY(QDir().mkpath(m_lib->folder()));
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("plain") << "Survey North"
                               << "";
        QTest::newRow("spaces around") << "  Coast  "
                                       << "";
        QTest::newRow("dots inside") << "v1.2 final."
                                     << "";
        QTest::newRow("empty") << "   "
                               << "Give the plan a name.";
        QTest::newRow("hidden") << ".plan"
                                << "A name cannot start with a dot.";
        QTest::newRow("slash") << "a/b"
                               << "A name cannot contain \u201C/\u201D.";
        QTest::newRow("colon") << "10:30 run"
                               << "A name cannot contain \u201C:\u201D.";
        QTest::newRow("question") << "why?"
                                  << "A name cannot contain \u201C?\u201D.";
        QTest::newRow("line break") << "two\nlines"
                                    << "A name cannot contain line breaks or control characters.";
        QTest::newRow("100 characters") << QString(100, 'x') << "";
        QTest::newRow("101 characters") << QString(101, 'x') << "The name is too long (at most 100 characters).";
        // 3 bytes each in UTF-8: 66 fit in 200 bytes, 67 do not.
        QTest::newRow("66 CJK") << QString(66, QChar(0x822A)) << "";
        QTest::newRow("67 CJK") << QString(67, QChar(0x822A)) << "The name is too long (at most 100 characters).";
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, problem);
        QCOMPARE(PlanLibrary::nameProblem(name), problem);
        if (!problem.isEmpty())
            return;
        // A good name is a file name the library lists under that name.
        QCOMPARE(m_lib->save(line(2), name), QString());
        QCOMPARE(namesOf(m_lib->list()), QStringList{name.trimmed()});
    }

    void cleanNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("refused characters") << "a/b:c*d"
                                            << "a-b-c-d";
        QTest::newRow("leading dots") << "..hidden"
                                      << "hidden";
        QTest::newRow("nothing left") << " . "
                                      << "Imported Plan";
        QTest::newRow("long") << QString(150, 'y') << QString(97, 'y');
    }
    void cleanNames()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        QCOMPARE(PlanLibrary::cleanName(text), name);
        QCOMPARE(PlanLibrary::nameProblem(name), QString());
    }

    // Newest first, then by name in any letter case; only readable plan formats, not hidden,
    // not a save's temporary file; a damaged file listed with the reader's words and kept.
    void listsNewestFirst()
    {
        writeFile(path("Older.plan"), writeQgcPlan(line(3)), kNow.addDays(-2));
        writeFile(path("Newer.kml"), writeKml(line(5)), kNow.addSecs(-3600));
        writeFile(path("same time b.plan"), writeQgcPlan(line(2)), kNow.addDays(-1));
        writeFile(path("Same Time A.geojson"), writeGeoJson(line(4)), kNow.addDays(-1));
        const QByteArray cut = writeQgcPlan(line(3)).left(90);
        writeFile(path("Damaged.plan"), cut, kNow.addDays(-3));
        writeFile(path(".hidden.plan"), writeQgcPlan(line(2)), kNow);
        writeFile(path("Survey.plan.Xa9b2c"), cut, kNow);
        writeFile(path("photo.png"), "\x89PNG", kNow);
        QVERIFY(QDir(m_lib->folder()).mkdir("folder.plan"));

        const QList<LibraryEntry> list = m_lib->list();
        QCOMPARE(namesOf(list), (QStringList{"Newer", "Same Time A", "same time b", "Older", "Damaged"}));
        QCOMPARE(list[0].waypointCount, 5);
        QCOMPARE(list[0].fileName, "Newer.kml");
        QCOMPARE(list[1].waypointCount, 4);
        QVERIFY(list[3].ok());
        QCOMPARE(list[4].error, "the plan file is damaged: it ends unexpectedly at line 1");
        QCOMPARE(list[4].waypointCount, 0);
        QVERIFY(QFile::exists(path("Damaged.plan")));
    }

    // A file whose time and size are as last read is not read again; any change is.
    void readsOnlyChangedFiles()
    {
        writeFile(path("Kept.plan"), writeQgcPlan(line(3)), kNow);
        const QList<LibraryEntry> first = m_lib->list();
        QHash<QString, LibraryEntry> known{{"Kept.plan", first[0]}};
        const QByteArray same = QByteArray(QFileInfo(path("Kept.plan")).size(), ' ');
        writeFile(path("Kept.plan"), same, kNow);
        QCOMPARE(m_lib->list(known), first);
        writeFile(path("Kept.plan"), same, kNow.addSecs(1));
        QCOMPARE(m_lib->list(known)[0].error, "the file is empty");
    }

    // Fitted into the unit square with its shape kept: at 60° a degree of longitude is half a
    // degree of latitude, so 2° east by 1° north is a square.
    void outlineKeepsTheShape()
    {
        const QList<QPointF> square = planOutline({{59.5, 10}, {60.5, 12}});
        QCOMPARE(square.size(), 2);
        QVERIFY(qAbs(square[0].x()) < 1e-9 && qAbs(square[0].y() - 1) < 1e-9);
        QVERIFY(qAbs(square[1].x() - 1) < 1e-9 && qAbs(square[1].y()) < 1e-9);
        const QList<QPointF> flat = planOutline({{0, 0}, {0, 1}});
        QCOMPARE(flat, (QList<QPointF>{{0, 0.5}, {1, 0.5}}));
        QCOMPARE(planOutline({{47, 8}}), QList<QPointF>{QPointF(0.5, 0.5)});
        const QList<QPointF> many = planOutline(line(1000).waypoints);
        QCOMPARE(many.size(), kOutlinePoints);
        QCOMPARE(many.first(), QPointF(0.5, 1));
        QCOMPARE(many.last(), QPointF(0.5, 0));
    }

    // Saving over a name replaces the plan in whatever format and letter case it had.
    void saveReplacesTheNamedPlan()
    {
        writeFile(path("survey.kml"), writeKml(line(3)), kNow);
        writeFile(path("Other.plan"), writeQgcPlan(line(2)), kNow);
        QCOMPARE(m_lib->fileNamed(" SURVEY "), "survey.kml");
        QCOMPARE(m_lib->save(line(7), "Survey"), QString());
        QCOMPARE(QDir(m_lib->folder()).entryList(QDir::Files, QDir::Name), (QStringList{"Other.plan", "Survey.plan"}));
        QVERIFY(sameWaypoints(readPlanFile(path("Survey.plan")).plan->waypoints, line(7).waypoints));
        QCOMPARE(m_lib->save(line(7), "bad/name"), "A name cannot contain \u201C/\u201D.");
    }

    void renameAndDelete()
    {
        writeFile(path("Route.kml"), writeKml(line(3)), kNow.addDays(-1));
        writeFile(path("Other.plan"), writeQgcPlan(line(2)), kNow);
        QCOMPARE(m_lib->rename("Route.kml", "Coast"), QString());
        QCOMPARE(m_lib->rename("Coast.kml", "coast"), QString()); // letter case only
        QCOMPARE(m_lib->rename("coast.kml", "other"), "a plan named \u201COther\u201D is already there");
        QCOMPARE(m_lib->rename("coast.kml", "a|b"), "A name cannot contain \u201C|\u201D.");
        QCOMPARE(m_lib->rename("Gone.plan", "Back"), "the plan is no longer in the library");
        const QList<LibraryEntry> list = m_lib->list();
        QCOMPARE(namesOf(list), (QStringList{"Other", "coast"})); // the rename kept its time
        QCOMPARE(list[1].fileName, "coast.kml");
        QCOMPARE(list[1].waypointCount, 3);
        QCOMPARE(m_lib->remove("coast.kml"), QString());
        QCOMPARE(m_lib->remove("coast.kml"), QString()); // already gone
        QCOMPARE(namesOf(m_lib->list()), QStringList{"Other"});
    }

    // A file comes in as it was, under a free name; one no reader takes stays out.
    void imports()
    {
        const QString from = m_dir->filePath("outside");
        QVERIFY(QDir().mkpath(from));
        const QByteArray kml = writeKml(line(4));
        writeFile(from + "/a:b.kml", kml);
        writeFile(from + "/route.dat", writeGeoJson(line(6)));
        writeFile(from + "/cut.plan", writeQgcPlan(line(3)).left(90));
        writeFile(from + "/photo.gpx", "\x89PNG\r\n");

        QCOMPARE(m_lib->import(from + "/a:b.kml").fileName, "a-b.kml");
        QCOMPARE(m_lib->import(from + "/a:b.kml").fileName, "a-b 2.kml");
        QFile copy(path("a-b 2.kml"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), kml);
        // No extension of ours: kept as the plan that was read.
        QCOMPARE(m_lib->import(from + "/route.dat").fileName, "route.plan");
        QVERIFY(sameWaypoints(readPlanFile(path("route.plan")).plan->waypoints, line(6).waypoints));
        QCOMPARE(m_lib->import(from + "/cut.plan").error, "the plan file is damaged: it ends unexpectedly at line 1");
        QCOMPARE(m_lib->import(from + "/photo.gpx").error, "this is a PNG image, not GPX");
        QCOMPARE(m_lib->import(from + "/missing.kml").error, "the file does not exist");
        QCOMPARE(m_lib->list().size(), 3);
    }

    // A process saving a plan over and over, killed (SIGKILL) at a moment of its own each
    // round: the library then holds one whole plan under the name, the old or the new one.
    void killedSaveKeepsAWholePlan_data()
    {
        QTest::addColumn<int>("savesBeforeKill");
        for (int n : {1, 2, 3, 5, 8})
            QTest::addRow("after %d saves", n) << n;
    }
    void killedSaveKeepsAWholePlan()
    {
        QFETCH(int, savesBeforeKill);
        constexpr int kBig = 40000; // about 8 MB as a .plan: a save takes a while
        QCOMPARE(m_lib->save(line(kBig), "Survey"), QString());
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(PLAN_LIBRARY_SAVE_CHILD), {m_lib->folder(), QString::number(kBig)});
        QVERIFY(child.waitForStarted());
        int saves = 0;
        while (saves < savesBeforeKill && child.state() == QProcess::Running) {
            child.waitForReadyRead(2000);
            while (child.canReadLine())
                saves += child.readLine().startsWith("saved") ? 1 : 0;
        }
        QCOMPARE(saves, savesBeforeKill);
        // Into the next save, somewhere.
        QTest::qWait(int(QRandomGenerator::global()->bounded(1, 60)));
        child.kill();
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const QList<LibraryEntry> list = m_lib->list();
        QCOMPARE(namesOf(list), QStringList{"Survey"});
        QVERIFY2(list[0].ok(), qPrintable(list[0].error));
        const int n = list[0].waypointCount;
        QVERIFY2(n == kBig || n == kBig + 1, qPrintable(QString::number(n)));
        QVERIFY(sameWaypoints(readPlanFile(path("Survey.plan")).plan->waypoints, line(n).waypoints));
    }
};

QTEST_MAIN(TestPlanLibrary)
#include "tst_planlibrary.moc"
