#include "SurveyShapes.h"

#include "PlanFormats.h"
#include "SurveyMission.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <functional>

using namespace zeltrin;
using namespace zeltrin::survey;
using namespace surveyshapes;

namespace {

SurveySettings lSurvey()
{
    SurveySettings s;
    s.polygon = lShape();
    s.camera = *builtInCameraProfile(QStringLiteral("4/3-inch 20 MP"));
    s.given = SurveySettings::Given::GroundSampleDistance;
    s.groundSampleDistance = 2.75;
    s.frontOverlap = 75;
    s.sideOverlap = 65;
    s.gridAngle = 45;
    s.crosshatch = true;
    s.turnaround = 12.5;
    return s;
}

// The camera's name is kept for the built-in ones; others are written as "Custom Camera".
void compareSpecs(const SurveySettings &read, const SurveySettings &written, bool sameName = true)
{
    QCOMPARE(read.polygon.size(), written.polygon.size());
    for (qsizetype i = 0; i < read.polygon.size(); ++i) {
        QCOMPARE(read.polygon[i].latitude, written.polygon[i].latitude);
        QCOMPARE(read.polygon[i].longitude, written.polygon[i].longitude);
    }
    CameraProfile camera = read.camera;
    if (!sameName)
        camera.name = written.camera.name;
    QCOMPARE(camera, written.camera);
    QCOMPARE(read.given, written.given);
    if (written.given == SurveySettings::Given::Height)
        QCOMPARE(read.height, written.height);
    else
        QCOMPARE(read.groundSampleDistance, written.groundSampleDistance);
    QCOMPARE(read.frontOverlap, written.frontOverlap);
    QCOMPARE(read.sideOverlap, written.sideOverlap);
    QCOMPARE(read.gridAngle, written.gridAngle);
    QCOMPARE(read.crosshatch, written.crosshatch);
    QCOMPARE(read.turnaround, written.turnaround);
}

// A written survey plan with its survey item changed.
QByteArray changed(const QByteArray &plan, const std::function<void(QJsonObject &item, QJsonObject &camera)> &change)
{
    QJsonObject root = QJsonDocument::fromJson(plan).object();
    QJsonObject mission = root.value(u"mission").toObject();
    QJsonArray items = mission.value(u"items").toArray();
    QJsonObject item = items.at(0).toObject();
    QJsonObject transects = item.value(u"TransectStyleComplexItem").toObject();
    QJsonObject camera = transects.value(u"CameraCalc").toObject();
    change(item, camera);
    transects = item.value(u"TransectStyleComplexItem").toObject();
    transects.insert(u"CameraCalc", camera);
    item.insert(u"TransectStyleComplexItem", transects);
    items.replace(0, item);
    mission.insert(u"items", items);
    root.insert(u"mission", mission);
    return QJsonDocument(root).toJson();
}

} // namespace

class TestSurveyPlanFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenSurveyReadsBack_data();
    void writtenSurveyReadsBack();
    void openStationSurveyOpensAsSurvey();
    void incompleteSurveyOpensAsWaypoints_data();
    void incompleteSurveyOpensAsWaypoints();
};

void TestSurveyPlanFile::writtenSurveyReadsBack_data()
{
    QTest::addColumn<bool>("custom");
    QTest::newRow("built-in camera, by GSD, crosshatch") << false;
    QTest::newRow("custom camera, by height") << true;
}

void TestSurveyPlanFile::writtenSurveyReadsBack()
{
    QFETCH(bool, custom);
    SurveySettings spec = lSurvey();
    if (custom) {
        // A camera of our own is written as QGroundControl's "Custom Camera", its figures kept.
        spec.camera = {QStringLiteral("Custom Camera"), 23.5, 15.6, 24, 6000, 4000};
        spec.given = SurveySettings::Given::Height;
        spec.height = 95.5;
        spec.crosshatch = false;
    }
    const SurveyFlight flight = planSurvey(spec);
    QVERIFY2(flight.ok(), qPrintable(flight.error));
    const MissionPlan plan = surveyMissionPlan(spec, flight, 9.5);

    const QByteArray bytes = planio::writeQgcPlan(plan);
    const PlanReadResult r = planio::readQgcPlan(bytes);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QVERIFY(r.plan->survey);
    compareSpecs(r.plan->survey->spec, spec);
    QCOMPARE(r.plan->survey->photoRuns, flight.runs);
    QCOMPARE(r.plan->waypoints.size(), flight.waypoints.size());
    for (qsizetype i = 0; i < flight.waypoints.size(); ++i) {
        QCOMPARE_LE(std::abs(r.plan->waypoints[i].latitude - flight.waypoints[i].position.latitude), 1e-12);
        QCOMPARE_LE(std::abs(r.plan->waypoints[i].longitude - flight.waypoints[i].position.longitude), 1e-12);
    }
    QCOMPARE(r.plan->altitude, flight.figures.image.height);
    QCOMPARE(r.plan->speed, 9.5);
    // The camera's triggers: one per run start (its distance) and one per run end (0).
    const QJsonObject item = QJsonDocument::fromJson(bytes)["mission"]["items"][0].toObject();
    QCOMPARE(item["complexItemType"].toString(), QStringLiteral("survey"));
    int starts = 0, stops = 0;
    for (const QJsonValue &v : item["TransectStyleComplexItem"]["Items"].toArray()) {
        if (v["command"].toInt() != 206)
            continue;
        const double d = v["params"][0].toDouble();
        (d > 0 ? starts : stops) += 1;
        if (d > 0)
            QCOMPARE(d, flight.figures.image.triggerDistance);
    }
    QCOMPARE(starts, flight.runs.size());
    QCOMPARE(stops, flight.runs.size());
}

// Planned and saved with QGroundControl's survey tool (tests/survey/data/README.md): its
// 42 waypoints fly 21 lines, the camera started after each line's first and stopped after its
// last. It opens as an editable survey, which this planner can plan again.
void TestSurveyPlanFile::openStationSurveyOpensAsSurvey()
{
    QFile file(qEnvironmentVariable("ZELTRIN_SOURCE_DIR")
               + QStringLiteral("/tests/survey/data/qgc-survey-8-corners.plan"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const PlanReadResult r = planio::readPlan(file.readAll());
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.plan->waypoints.size(), 42);
    QCOMPARE(r.plan->altitude, 100.0);
    QCOMPARE(r.plan->speed, 5.0);
    QVERIFY(r.plan->survey);
    const SurveySettings &s = r.plan->survey->spec;
    QCOMPARE(s.polygon.size(), 8);
    QCOMPARE(s.polygon.front(), (Coordinate{50.83838252789875, 8.674315491334653}));
    QCOMPARE(s.polygon.back(), (Coordinate{50.83570131110827, 8.674509057988558}));
    QCOMPARE(s.camera.sensorWidth, 6.17);
    QCOMPARE(s.camera.sensorHeight, 4.55);
    QCOMPARE(s.camera.focalLength, 2.98);
    QCOMPARE(s.camera.imageWidth, 4000);
    QCOMPARE(s.camera.imageHeight, 3000);
    QCOMPARE(s.given, SurveySettings::Given::Height);
    QCOMPARE(s.height, 100.0);
    QCOMPARE(s.frontOverlap, 80.0);
    QCOMPARE(s.sideOverlap, 80.0);
    QCOMPARE(s.gridAngle, 236.0);
    QCOMPARE(s.turnaround, 0.0);
    QVERIFY(!s.crosshatch);
    QCOMPARE(r.plan->survey->photoRuns.size(), 21);
    for (int k = 0; k < 21; ++k)
        QCOMPARE(r.plan->survey->photoRuns[k], (PhotoRun{2 * k, 2 * k + 1}));

    // Its lines were 41.41 m apart (207 m wide photos at 80 % side overlap): so are ours.
    const SurveyFlight again = planSurvey(s);
    QVERIFY2(again.ok(), qPrintable(again.error));
    QCOMPARE_LE(std::abs(again.figures.image.lineSpacing - 41.40939597315436), 1e-9);
    const PlanReadResult rewritten = planio::readQgcPlan(planio::writeQgcPlan(*r.plan));
    QVERIFY(rewritten.ok() && rewritten.plan->survey);
    QCOMPARE(rewritten.plan->survey->photoRuns, r.plan->survey->photoRuns);
    QCOMPARE(rewritten.plan->survey->spec.camera.name, QStringLiteral("Custom Camera"));
    compareSpecs(rewritten.plan->survey->spec, s, false);
}

// Without every field planning needs, or with a shape this planner does not fly, the survey's
// items still open, as plain waypoints.
void TestSurveyPlanFile::incompleteSurveyOpensAsWaypoints_data()
{
    using Change = std::function<void(QJsonObject &, QJsonObject &)>;
    QTest::addColumn<Change>("change");
    QTest::newRow("no sensor width") << Change([](QJsonObject &, QJsonObject &c) { c.remove(u"SensorWidth"); });
    QTest::newRow("manual camera") << Change([](QJsonObject &, QJsonObject &c) {
        c = QJsonObject{{"CameraName", "Manual (no camera specs)"}, {"DistanceToSurface", 50},     {"DistanceMode", 1},
                        {"AdjustedFootprintFrontal", 25},           {"AdjustedFootprintSide", 25}, {"version", 2}};
    });
    QTest::newRow("height above sea level")
        << Change([](QJsonObject &, QJsonObject &c) { c.insert(u"DistanceMode", 2); });
    QTest::newRow("overlap 95 %") << Change([](QJsonObject &, QJsonObject &c) { c.insert(u"SideOverlap", 95); });
    QTest::newRow("two corners") << Change([](QJsonObject &item, QJsonObject &) {
        QJsonArray polygon = item.value(u"polygon").toArray();
        while (polygon.size() > 2)
            polygon.removeLast();
        item.insert(u"polygon", polygon);
    });
    QTest::newRow("hover and capture") << Change([](QJsonObject &item, QJsonObject &) {
        QJsonObject t = item.value(u"TransectStyleComplexItem").toObject();
        t.insert(u"HoverAndCapture", true);
        item.insert(u"TransectStyleComplexItem", t);
    });
    QTest::newRow("camera never started") << Change([](QJsonObject &item, QJsonObject &) {
        QJsonObject t = item.value(u"TransectStyleComplexItem").toObject();
        QJsonArray items;
        for (const QJsonValue &v : t.value(u"Items").toArray())
            if (v["command"].toInt() != 206)
                items.append(v);
        t.insert(u"Items", items);
        item.insert(u"TransectStyleComplexItem", t);
    });
}

void TestSurveyPlanFile::incompleteSurveyOpensAsWaypoints()
{
    using Change = std::function<void(QJsonObject &, QJsonObject &)>;
    QFETCH(Change, change);
    SurveySettings spec = lSurvey();
    spec.crosshatch = false;
    const SurveyFlight flight = planSurvey(spec);
    QVERIFY(flight.ok());
    const QByteArray bytes = changed(planio::writeQgcPlan(surveyMissionPlan(spec, flight, 8)), change);
    const PlanReadResult r = planio::readQgcPlan(bytes);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QVERIFY(!r.plan->survey);
    QCOMPARE(r.plan->waypoints.size(), flight.waypoints.size());
}

QTEST_GUILESS_MAIN(TestSurveyPlanFile)
#include "tst_surveyplanfile.moc"
