#include "FlightPlanModel.h"
#include "SurveyEditModel.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zeltrin::survey;
using zeltrin::Coordinate;

// The survey tool's rules: the GSD and the height follow each other, corners go where they
// lengthen the outline least, the planned survey is the plan's waypoints and stays a survey
// through a .plan file.
class TestSurveyEdit : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<FlightPlanModel> m_plan;
    std::unique_ptr<SurveyEditModel> m_survey;

    // A square about 200 m across near the planner's start point (0.0018° of latitude is 200 m).
    void drawSquare()
    {
        m_survey->addCorner(43.0, -84.0);
        m_survey->addCorner(43.0, -83.9975);
        m_survey->addCorner(43.0018, -83.9975);
        m_survey->addCorner(43.0018, -84.0);
    }

private Q_SLOTS:
    void init()
    {
        auto settings = std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("cameras.ini")),
                                                    QSettings::IniFormat);
        settings->clear();
        m_plan = std::make_unique<FlightPlanModel>();
        m_survey = std::make_unique<SurveyEditModel>(std::make_unique<CameraProfileStore>(std::move(settings)));
        m_survey->setPlan(m_plan.get());
        m_survey->begin();
    }
    void cleanup()
    {
        m_survey.reset();
        m_plan.reset();
    }

    // GSD = sensor width × height / (focal length × image width), so height = GSD × f × w / s.
    void gsdAndHeightFollowEachOther_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<double>("heightAt2cm");
        QTest::addColumn<double>("gsdAt50m");
        // 1-inch: 0.02 × 8.8 × 5472 / 13.2 = 72.96 m; 13.2 × 50 / (8.8 × 5472) × 100 = 1.37061 cm/px.
        QTest::newRow("1-inch 20 MP") << 0 << 72.96 << 1.370614;
        // 4/3-inch: 0.02 × 12.29 × 5280 / 17.3 = 75.01873 m; 17.3 × 50 / (12.29 × 5280) × 100 = 1.333000.
        QTest::newRow("4/3-inch 20 MP") << 1 << 75.01873 << 1.333000;
        // 1/2.3-inch: 0.02 × 4.5 × 4000 / 6.17 = 58.3468 m; 6.17 × 50 / (4.5 × 4000) × 100 = 1.71389.
        QTest::newRow("1/2.3-inch 12 MP") << 2 << 58.34684 << 1.713889;
    }
    void gsdAndHeightFollowEachOther()
    {
        QFETCH(int, camera);
        QFETCH(double, heightAt2cm);
        QFETCH(double, gsdAt50m);
        m_survey->setCameraIndex(camera);
        m_survey->setGroundSampleDistance(2.0);
        QVERIFY(m_survey->gsdGiven());
        QVERIFY(std::abs(m_survey->height() - heightAt2cm) < 1e-4);
        m_survey->setHeight(50);
        QVERIFY(!m_survey->gsdGiven());
        QVERIFY(std::abs(m_survey->groundSampleDistance() - gsdAt50m) < 1e-5);
        // The GSD range is the one the heights flown give: 5 m and 120 m.
        QVERIFY(std::abs(m_survey->maxGroundSampleDistance() / m_survey->minGroundSampleDistance() - 24) < 1e-9);
        m_survey->setGroundSampleDistance(1000);
        QCOMPARE(m_survey->height(), kMaxHeight);
    }

    // A corner goes after the selected one, or after the last when none is selected.
    void cornersGoAfterTheSelectedOne_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("position");
        QTest::newRow("none selected") << -1 << 4;
        QTest::newRow("after the first") << 0 << 1;
        QTest::newRow("after the third") << 2 << 3;
        QTest::newRow("after the last") << 3 << 4;
    }
    void cornersGoAfterTheSelectedOne()
    {
        QFETCH(int, selected);
        QFETCH(int, position);
        drawSquare();
        QCOMPARE(m_survey->selectedCorner(), 3); // each new corner is selected
        m_survey->setSelectedCorner(selected);
        m_survey->addCorner(43.0009, -83.9974);
        QCOMPARE(m_survey->cornerCount(), 5);
        QCOMPARE(m_survey->selectedCorner(), position);
        QCOMPARE(m_survey->cornerLatitude(position), 43.0009);
        QCOMPARE(m_survey->cornerLongitude(position), -83.9974);
    }

    void surveyBecomesThePlansWaypoints()
    {
        m_survey->setGroundSampleDistance(2.0);
        m_survey->addCorner(43.0, -84.0);
        m_survey->addCorner(43.0, -83.9975);
        QVERIFY(!m_survey->planned());
        QCOMPARE(m_plan->waypointCount(), 0);
        QCOMPARE(m_survey->photoCount(), 0);
        QCOMPARE(m_survey->batteriesText(), QStringLiteral("—"));
        m_survey->addCorner(43.0018, -83.9975);
        m_survey->addCorner(43.0018, -84.0);
        QVERIFY(m_survey->planned());
        const SurveyFlight direct = planSurvey(m_survey->spec(), {.speed = m_plan->missionSpeed()});
        QCOMPARE(m_plan->waypoints()->coordinates().size(), direct.waypoints.size());
        QCOMPARE(m_survey->photoCount(), direct.figures.photoCount);
        QCOMPARE(m_survey->lineCount(), direct.figures.lineCount);
        QVERIFY(m_plan->hasSurvey());
        QCOMPARE(m_plan->missionAltitude(), m_survey->height());
        // On flat ground every photo is at the target GSD, and its footprint is drawn once.
        QCOMPARE(m_survey->gsdShareText(), QStringLiteral("100 %"));
        QCOMPARE(qsizetype(m_survey->footprints()->quads().size()), direct.photos.size());
        QCOMPARE(m_survey->footprints()->outline().size(), 4);

        // A faster mission flies the same lines in less time.
        const double before = m_survey->flight().figures.flightTime;
        m_plan->setMissionSpeed(12);
        QVERIFY(m_survey->flight().figures.flightTime < before);

        // Leaving the tool and opening it again edits the same area.
        m_survey->finish();
        m_survey->begin();
        QCOMPARE(m_survey->cornerCount(), 4);
        QVERIFY(m_survey->planned());
        // Down to two corners, the survey and its waypoints go.
        m_survey->removeCorner(0);
        m_survey->removeCorner(0);
        QCOMPARE(m_plan->waypointCount(), 0);
        QVERIFY(!m_plan->hasSurvey());
    }

    void anOtherEditEndsTheSurvey()
    {
        drawSquare();
        QVERIFY(m_plan->hasSurvey());
        const int n = m_plan->waypointCount();
        m_plan->deleteWaypoints({0});
        QVERIFY(!m_plan->hasSurvey());
        QCOMPARE(m_plan->waypointCount(), n - 1);
        m_survey->finish();
        m_survey->begin(); // no survey: an empty area, the plan left as it is
        QCOMPARE(m_survey->cornerCount(), 0);
        QCOMPARE(m_plan->waypointCount(), n - 1);
    }

    // With the tool closed, the panel's altitude is the survey's height: the lines are planned
    // again for it (higher: wider footprints, fewer lines), and what the map draws goes with the
    // survey when the plan drops it.
    void closedToolFollowsThePlan()
    {
        m_survey->setGroundSampleDistance(2.0); // 72.96 m with the 1-inch camera
        drawSquare();
        m_survey->finish();
        const int lines = m_survey->lineCount();
        const double footprintWidth = m_survey->flight().figures.image.footprintWidth;
        m_plan->setMissionAltitude(110);
        QVERIFY(m_plan->hasSurvey());
        QCOMPARE(m_survey->height(), 110.0);
        QCOMPARE(m_plan->survey()->spec.height, 110.0);
        QVERIFY(m_survey->lineCount() < lines);
        QVERIFY(m_survey->flight().figures.image.footprintWidth > footprintWidth);
        QCOMPARE(m_plan->waypointCount(), m_survey->flight().waypoints.size());
        QCOMPARE(qsizetype(m_survey->footprints()->quads().size()), m_survey->flight().photos.size());
        m_plan->clearWaypoints();
        QVERIFY(m_survey->footprints()->quads().empty());
    }

    // Over a hill the footprints shrink and their GSD leaves the target unless the aircraft
    // follows the ground; where the ground is unknown the GSD is too.
    void footprintsLieOnTheGround()
    {
        struct Slope : ElevationSource {
            double voidNorthOf = 90;
            std::optional<double> heightAt(double latitude, double longitude) const override
            {
                if (latitude > voidNorthOf)
                    return std::nullopt;
                return 200 + (longitude + 84.0) * 80000; // 20 m up across the square's 0.0025°
            }
        } ground;
        m_plan->setGround(&ground);
        m_survey->setHeight(60);
        drawSquare();
        QVERIFY(m_survey->gsdShareText() != QStringLiteral("100 %"));
        m_plan->setTerrainFollowEnabled(true);
        QCOMPARE(m_survey->gsdShareText(), QStringLiteral("100 %"));
        ground.voidNorthOf = 43.0009;
        m_plan->setGround(nullptr);
        m_plan->setGround(&ground);
        const auto &quads = m_survey->footprints()->quads();
        QVERIFY(std::any_of(quads.begin(), quads.end(),
                            [](const auto &q) { return q.colour == SurveyEditModel::Unknown; }));
        QVERIFY(std::any_of(quads.begin(), quads.end(),
                            [](const auto &q) { return q.colour == SurveyEditModel::OnTarget; }));
        m_plan->setGround(nullptr);
    }

    void surveyStaysASurveyThroughAPlanFile()
    {
        m_survey->setCameraIndex(2);
        m_survey->setGroundSampleDistance(2.5);
        m_survey->setFrontOverlap(75);
        m_survey->setSideOverlap(65);
        m_survey->setGridAngle(30);
        drawSquare();
        const SurveySettings written = m_survey->spec();
        const QString file = m_dir.filePath(QStringLiteral("field.plan"));
        QVERIFY(m_plan->savePlan(file));

        FlightPlanModel reopened;
        SurveyEditModel tool(std::make_unique<CameraProfileStore>(
            std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("other.ini")), QSettings::IniFormat)));
        tool.setPlan(&reopened);
        QVERIFY(reopened.openPlan(file));
        QVERIFY(reopened.hasSurvey());
        QCOMPARE(reopened.waypointCount(), m_plan->waypointCount());
        tool.begin();
        QCOMPARE(tool.cornerCount(), 4);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(std::abs(tool.cornerLatitude(i) - written.polygon[i].latitude) < 1e-9);
            QVERIFY(std::abs(tool.cornerLongitude(i) - written.polygon[i].longitude) < 1e-9);
        }
        QCOMPARE(tool.cameraNames().at(tool.cameraIndex()), QStringLiteral("1/2.3-inch 12 MP"));
        QVERIFY(std::abs(tool.groundSampleDistance() - 2.5) < 1e-6);
        QCOMPARE(tool.frontOverlap(), 75.0);
        QCOMPARE(tool.sideOverlap(), 65.0);
        QCOMPARE(tool.gridAngle(), 30.0);
        QCOMPARE(tool.photoCount(), m_survey->photoCount());
    }

    // The second tap of a double tap zooms the map; the corner the first tap added goes again.
    void doubleTapTakesBackTheCorner()
    {
        drawSquare();
        m_survey->mapTapped(43.0009, -83.9974);
        QCOMPARE(m_survey->cornerCount(), 5);
        m_survey->mapDoubleTapped();
        QCOMPARE(m_survey->cornerCount(), 4);
        m_survey->mapTapped(43.0009, -83.9974);
        m_survey->moveCorner(4, 43.001, -83.997); // moved since: it stays
        m_survey->mapDoubleTapped();
        QCOMPARE(m_survey->cornerCount(), 5);
    }

    void gsdBands_data()
    {
        QTest::addColumn<double>("gsd");
        QTest::addColumn<int>("band");
        QTest::newRow("on target") << 2.0 << int(SurveyEditModel::OnTarget);
        QTest::newRow("5 % coarser") << 2.1 << int(SurveyEditModel::OnTarget);
        QTest::newRow("5 % finer") << 1.9 << int(SurveyEditModel::OnTarget);
        QTest::newRow("6 % finer") << 1.88 << int(SurveyEditModel::Finer);
        QTest::newRow("6 % coarser") << 2.12 << int(SurveyEditModel::Coarser);
        QTest::newRow("15 % coarser") << 2.3 << int(SurveyEditModel::Coarser);
        QTest::newRow("16 % coarser") << 2.32 << int(SurveyEditModel::FarCoarser);
        QTest::newRow("unknown ground") << qQNaN() << int(SurveyEditModel::Unknown);
        QTest::newRow("infinitely coarse") << qInf() << int(SurveyEditModel::FarCoarser);
    }
    void gsdBands()
    {
        QFETCH(double, gsd);
        QFETCH(int, band);
        QCOMPARE(int(SurveyEditModel::bandOf(gsd, 2.0)), band);
    }

    void customCameraIsStoredAndSelected()
    {
        QVERIFY(!m_survey->saveCustomCamera(QStringLiteral("Bad"), 0, 8, 8, 4000, 3000).isEmpty());
        QCOMPARE(m_survey->saveCustomCamera(QStringLiteral("Wide 24"), 13.2, 8.8, 6.0, 5472, 3648), QString());
        QCOMPARE(m_survey->cameraNames().at(m_survey->cameraIndex()), QStringLiteral("Wide 24"));
        // A built-in name is not taken.
        QVERIFY(!m_survey->saveCustomCamera(QStringLiteral("1-inch 20 MP"), 13.2, 8.8, 6.0, 5472, 3648).isEmpty());
        m_survey->setHeight(60);
        // 13.2 × 60 / (6 × 5472) × 100 = 2.41228 cm/px.
        QVERIFY(std::abs(m_survey->groundSampleDistance() - 2.412281) < 1e-5);
    }
};

QTEST_MAIN(TestSurveyEdit)
#include "tst_surveyedit.moc"
