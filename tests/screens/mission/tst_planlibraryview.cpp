// The plan library in the planner, by touch: save (naming, faults, replacing), the list and
// opening from it, rename and delete by swipe, import and export through the file dialogs, and
// the keyboard's shortcuts. Real files in a folder of the test's own.
#include "FlightPlanModel.h"
#include "PlanFormats.h"
#include "PlanLibraryModel.h"
#include "PlanNameForm.h"
#include "ScreenHarness.h"
#include "TileMapItem.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using zeltrin::MissionPlan;
namespace planio = zeltrin::planio;

namespace {
MissionPlan line(int n)
{
    MissionPlan p;
    for (int i = 0; i < n; ++i)
        p.waypoints.append({47.30 + 0.001 * i, 8.50 + 0.002 * (i % 2)});
    return p;
}
// Files keep 9 decimals of a degree.
bool sameWaypoints(const QList<zeltrin::Coordinate> &a, const QList<zeltrin::Coordinate> &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto &p, const auto &q) {
               return std::abs(p.latitude - q.latitude) < 1e-9 && std::abs(p.longitude - q.longitude) < 1e-9;
           });
}
} // namespace

class TestPlanLibraryView : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScreenHarness> m_screen;
    FlightPlanModel *m_plan = nullptr;
    PlanLibraryModel *m_lib = nullptr;

    QQuickItem *item(const char *name) const { return m_screen->find(QString::fromLatin1(name)); }
    void tap(QQuickItem *it)
    {
        QVERIFY(it && isShown(it));
        m_screen->tap(it, true, 0, 30);
    }
    void menu(const char *row)
    {
        tap(item("planMenuButton"));
        QTRY_VERIFY(item(row) && isShown(item(row)));
        tap(item(row));
    }
    void waitSheet(const char *sheet)
    {
        // A sheet is a popup, not an item: the screen hands it out by name.
        QObject *s = m_screen->root()->property(sheet).value<QObject *>();
        QVERIFY(s);
        QTRY_VERIFY(s->property("shown").toBool());
        QTest::qWait(420); // it slides up
    }
    // Until its closing slide is over, a sheet still takes the taps meant for the screen.
    void waitGone(const char *sheet)
    {
        QObject *s = m_screen->root()->property(sheet).value<QObject *>();
        QVERIFY(s);
        QTRY_VERIFY(!s->property("visible").toBool());
    }
    void type(const QString &text)
    {
        QQuickItem *field = item("planNameField");
        QTRY_VERIFY(field && field->hasActiveFocus());
        QTest::keyClick(m_screen->view(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(m_screen->view(), Qt::Key_Backspace);
        for (const QChar c : text)
            QTest::keyClick(m_screen->view(), c.toLatin1());
        QTRY_COMPARE(m_lib->nameForm()->text(), text);
    }
    QQuickItem *row(const QString &name) const
    {
        return m_screen->findWhere(
            [&](QQuickItem *i) { return i->objectName() == u"planRow" && accessibleName(i) == name; });
    }
    void swipe(QQuickItem *r)
    {
        QVERIFY(r);
        const QPoint from = r->mapToScene(QPointF(r->width() * 0.85, r->height() / 2)).toPoint();
        m_screen->drag(from, from - QPoint(int(r->width() * 0.7), 0));
        QTRY_VERIFY(r->property("swipe").value<QObject *>()->property("complete").toBool());
    }
    QString path(const QString &name) const { return m_lib->library().pathOf(name); }
    void store(const QString &fileName, const QByteArray &bytes, int ageHours)
    {
        QVERIFY(QDir().mkpath(m_lib->folder()));
        QFile f(path(fileName));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        QVERIFY(f.flush()); // else the close, writing the rest, sets the time again
        QVERIFY(
            f.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * ageHours), QFileDevice::FileModificationTime));
    }
    void addWaypoints(int n)
    {
        for (int i = 0; i < n; ++i)
            m_plan->addWaypoint();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ZeltrinPilotApp::Dependencies deps;
        deps.planLibraryFolder = m_dir->filePath("plans");
        m_screen = std::make_unique<ScreenHarness>(std::move(deps));
        QVERIFY(m_screen->load(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml"))));
        m_plan = m_screen->model<FlightPlanModel>("plan");
        m_lib = m_screen->model<PlanLibraryModel>("library");
        auto *map = m_screen->root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        QVERIFY(m_plan && m_lib && map);
        map->setImageryUrlTemplate({});
        map->setLabelsUrlTemplate({});
        QCOMPARE(m_lib->folder(), m_dir->filePath("plans"));
        m_screen->show();
        QVERIFY(m_screen->waitExposed());
        m_screen->view()->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(m_screen->view()));
    }
    void cleanup() { m_screen.reset(); }

    void savesByTouch_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("390x844") << QSize(390, 844);
        QTest::newRow("320x568") << QSize(320, 568);
        QTest::newRow("844x390") << QSize(844, 390);
    }
    void savesByTouch()
    {
        QFETCH(QSize, size);
        m_screen->view()->resize(size);
        addWaypoints(3);
        menu("planSave");
        waitSheet("nameSheet");
        QCOMPARE(item("planNameSummary")->property("text").toString(), "3 waypoints \u00B7 50 m \u00B7 8 m/s");
        type("Coast Run");
        tap(item("planNameSubmit"));
        QTRY_VERIFY(!m_lib->nameForm()->presented());
        const auto r = planio::readPlanFile(path("Coast Run.plan"));
        QVERIFY2(r.ok(), qPrintable(r.error));
        QVERIFY(sameWaypoints(r.plan->waypoints, m_plan->waypoints()->coordinates()));
        QCOMPARE(m_plan->fileMessage(), "Saved \u201CCoast Run\u201D.");
        QCOMPARE(m_lib->currentName(), "Coast Run");
        // The next save suggests that name.
        waitGone("nameSheet");
        menu("planSave");
        waitSheet("nameSheet");
        QCOMPARE(item("planNameField")->property("text").toString(), "Coast Run");
    }

    // What is wrong shows as it is typed, and the action stays off.
    void namesFaults_data()
    {
        QTest::addColumn<int>("waypoints");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("problem");
        QTest::newRow("slash") << 2 << "North/South"
                               << "A name cannot contain \u201C/\u201D.";
        QTest::newRow("dot") << 2 << ".survey"
                             << "A name cannot start with a dot.";
        QTest::newRow("empty") << 2 << ""
                               << "";
        QTest::newRow("no waypoints") << 0 << "Coast"
                                      << "The plan has no waypoints to save.";
    }
    void namesFaults()
    {
        QFETCH(int, waypoints);
        QFETCH(QString, name);
        QFETCH(QString, problem);
        addWaypoints(waypoints);
        menu("planSave");
        waitSheet("nameSheet");
        type(name);
        QCOMPARE(item("planNameProblem")->property("text").toString(), problem);
        QVERIFY(!item("planNameSubmit")->isEnabled());
        QTest::keyClick(m_screen->view(), Qt::Key_Return);
        QTest::qWait(100);
        QVERIFY(m_lib->nameForm()->presented());
        QCOMPARE(QDir(m_lib->folder()).entryList(QDir::Files), QStringList());
    }

    // A name another plan holds (in any letter case and format) asks first.
    void saveAsksBeforeReplacing_data()
    {
        QTest::addColumn<bool>("replace");
        QTest::newRow("Replace") << true;
        QTest::newRow("Cancel") << false;
    }
    void saveAsksBeforeReplacing()
    {
        QFETCH(bool, replace);
        store("Coast.kml", planio::writeKml(line(2)), 1);
        addWaypoints(5);
        menu("planSave");
        waitSheet("nameSheet");
        type("coast");
        tap(item("planNameSubmit"));
        QTRY_VERIFY(m_lib->nameForm()->replacePending());
        // The question names the plan as it is spelt in the library.
        QTRY_VERIFY(m_screen->findShown(QStringLiteral("Replace \u201CCoast\u201D?")));
        QTest::qWait(350);
        tap(item(replace ? "destructiveAction" : "cancelAction"));
        QTRY_VERIFY(!m_lib->nameForm()->replacePending());
        QCOMPARE(QDir(m_lib->folder()).entryList(QDir::Files), QStringList{replace ? "coast.plan" : "Coast.kml"});
        QCOMPARE(m_lib->nameForm()->presented(), !replace);
    }

    // Newest first; a damaged file says why and does not open; a row opens its plan and closes.
    void listsAndOpens()
    {
        store("Older.plan", planio::writeQgcPlan(line(4)), 48);
        store("Newer.geojson", planio::writeGeoJson(line(6)), 1);
        store("Damaged.plan", planio::writeQgcPlan(line(3)).left(90), 2);
        menu("planOpen");
        waitSheet("librarySheet");
        QTRY_COMPARE(m_lib->count(), 3);
        QTRY_VERIFY(row("Older") && row("Damaged") && row("Newer"));
        QVERIFY(row("Newer")->y() < row("Damaged")->y() && row("Damaged")->y() < row("Older")->y());
        QQuickItem *error = findItem(row("Damaged"), QStringLiteral("planRowError"));
        QCOMPARE(error->property("text").toString(),
                 "Cannot be opened: the plan file is damaged: it ends unexpectedly at line 1.");
        tap(row("Damaged"));
        QTest::qWait(100);
        QVERIFY(m_lib->showLibrary());
        QCOMPARE(m_plan->waypointCount(), 0);
        tap(row("Older"));
        QTRY_VERIFY(!m_lib->showLibrary());
        QVERIFY(sameWaypoints(m_plan->waypoints()->coordinates(), line(4).waypoints));
        QCOMPARE(m_lib->currentName(), "Older");
        QVERIFY(QFile::exists(path("Damaged.plan")));
    }

    // Rename keeps the format and refuses a name another plan holds.
    void renamesBySwipe()
    {
        store("Route.kml", planio::writeKml(line(3)), 2);
        store("Other.plan", planio::writeQgcPlan(line(2)), 1);
        m_lib->openLibrary();
        waitSheet("librarySheet");
        QTRY_VERIFY(row("Route"));
        swipe(row("Route"));
        tap(findItem(row("Route"), QStringLiteral("swipeRenameButton")));
        waitSheet("nameSheet");
        QCOMPARE(m_lib->nameForm()->title(), "Rename Plan");
        type("other");
        tap(item("planNameSubmit"));
        QTRY_COMPARE(item("planNameProblem")->property("text").toString(),
                     "A plan named \u201COther\u201D already exists.");
        type("Coast");
        tap(item("planNameSubmit"));
        QTRY_VERIFY(!m_lib->nameForm()->presented());
        QTRY_VERIFY(row("Coast"));
        QCOMPARE(QDir(m_lib->folder()).entryList(QDir::Files, QDir::Name), (QStringList{"Coast.kml", "Other.plan"}));
    }

    void deletesBySwipeAfterAsking_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Delete Plan") << true;
        QTest::newRow("Cancel") << false;
    }
    void deletesBySwipeAfterAsking()
    {
        QFETCH(bool, confirm);
        store("Route.plan", planio::writeQgcPlan(line(3)), 2);
        store("Other.plan", planio::writeQgcPlan(line(2)), 1);
        m_lib->openLibrary();
        waitSheet("librarySheet");
        QTRY_VERIFY(row("Route"));
        QSignalSpy resets(m_lib, &QAbstractItemModel::modelReset);
        swipe(row("Route"));
        tap(findItem(row("Route"), QStringLiteral("swipeDeleteButton")));
        QTRY_VERIFY(m_lib->deletePending());
        QTRY_VERIFY(m_screen->findShown(QStringLiteral("Delete \u201CRoute\u201D?")));
        QVERIFY(QFile::exists(path("Route.plan"))); // nothing before the answer
        QTest::qWait(350);
        tap(item(confirm ? "destructiveAction" : "cancelAction"));
        QTRY_VERIFY(!m_lib->deletePending());
        QTRY_COMPARE(m_lib->count(), confirm ? 1 : 2);
        QCOMPARE(QFile::exists(path("Route.plan")), !confirm);
        QCOMPARE(resets.count(), 0); // the row goes; the list keeps its place
    }

    // The dialogs start in the pilot's documents. Where the platform has no dialog of its own
    // (this test's), Qt's stands in, and is driven by touch like any other: pick the file,
    // "Open"; "Save" on the suggested name. What they hand back is copied in, or written out.
    void importsAndExports()
    {
        const QString documents = PlanLibraryModel::documentsFolder().toLocalFile();
        QFile in(documents + "/Lake Loop.gpx");
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(
            "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"t\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
            "<rte><rtept lat=\"47.1\" lon=\"8.1\"/><rtept lat=\"47.2\" lon=\"8.2\"/></rte></gpx>");
        in.close();
        const auto cleanup = qScopeGuard([&] {
            QFile::remove(in.fileName());
            QFile::remove(documents + "/Lake Loop.plan");
        });
        QObject *import = m_screen->root()->property("importDialog").value<QObject *>();
        menu("planImport");
        QTRY_VERIFY(import->property("visible").toBool());
        QCOMPARE(import->property("currentFolder").toUrl(), PlanLibraryModel::documentsFolder());
        QQuickItem *file = nullptr;
        QTRY_VERIFY((file = m_screen->findShown(QStringLiteral("Lake Loop.gpx"))));
        QTest::qWait(300); // it fades in
        tap(file);
        tap(m_screen->findShown(QStringLiteral("Open")));
        QTRY_VERIFY(m_lib->showLibrary());
        QCOMPARE(m_lib->message(), "Imported \u201CLake Loop\u201D.");
        QTRY_VERIFY(row("Lake Loop"));
        QVERIFY(QFile::exists(path("Lake Loop.gpx")));
        waitSheet("librarySheet");
        tap(row("Lake Loop"));
        QTRY_COMPARE(m_plan->waypointCount(), 2);
        waitGone("librarySheet");

        QObject *exporter = m_screen->root()->property("exportDialog").value<QObject *>();
        menu("planExport");
        QTRY_VERIFY(exporter->property("visible").toBool());
        QCOMPARE(exporter->property("currentFolder").toUrl(), PlanLibraryModel::documentsFolder());
        QTest::qWait(300);
        tap(m_screen->findShown(QStringLiteral("Save")));
        QTRY_VERIFY(!exporter->property("visible").toBool());
        QTRY_COMPARE(m_plan->fileMessage(), "Saved \u201CLake Loop.plan\u201D.");
        QVERIFY(sameWaypoints(planio::readPlanFile(documents + "/Lake Loop.plan").plan->waypoints,
                              m_plan->waypoints()->coordinates()));
        // A name typed without an extension takes the chosen type's.
        QVERIFY(m_lib->exportPlan(QUrl::fromLocalFile(m_dir->filePath("out")).toString(), "kml"));
        QVERIFY(sameWaypoints(planio::readPlanFile(m_dir->filePath("out.kml")).plan->waypoints,
                              m_plan->waypoints()->coordinates()));
    }

    // Ctrl+O opens the library, Ctrl+S the naming sheet.
    void keyboardShortcuts()
    {
        QTest::keyClick(m_screen->view(), Qt::Key_O, Qt::ControlModifier);
        QTRY_VERIFY(m_lib->showLibrary());
        m_lib->setShowLibrary(false);
        waitGone("librarySheet");
        QTest::keyClick(m_screen->view(), Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(m_lib->nameForm()->presented());
    }
};

QTEST_MAIN(TestPlanLibraryView)
#include "tst_planlibraryview.moc"
