#include "FlightPlanModel.h"
#include "QuickItems.h"
#include "ScreenHarness.h"
#include "SurveyEditModel.h"
#include "TileMapItem.h"

#include <QQuickItem>
#include <QQuickView>
#include <QTest>

// The "Survey Area" tool by finger and by mouse: taps and a held press place the corners, a
// dragged handle moves its corner and the grid follows, Done closes the tool and keeps the survey.
class TestSurveyView : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScreenHarness> m_screen;
    FlightPlanModel *m_plan = nullptr;
    SurveyEditModel *m_survey = nullptr;
    TileMapItem *m_map = nullptr;

    QQuickItem *item(const QString &name) const { return m_screen->root()->findChild<QQuickItem *>(name); }

private Q_SLOTS:
    void init()
    {
        m_screen = std::make_unique<ScreenHarness>();
        QVERIFY(m_screen->load(QUrl(QStringLiteral("qrc:/Zeltrin/screens/mission/FlightPlanView.qml"))));
        m_plan = m_screen->model<FlightPlanModel>("plan");
        m_survey = m_screen->model<SurveyEditModel>("survey");
        m_map = m_screen->root()->findChild<TileMapItem *>(QStringLiteral("tileMap"));
        QVERIFY(m_plan && m_survey && m_map);
        m_map->setImageryUrlTemplate({});
        m_map->setLabelsUrlTemplate({});
        m_screen->show();
        QVERIFY(m_screen->waitExposed());
    }
    void cleanup() { m_screen.reset(); }

    void drawAndDragACorner_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void drawAndDragACorner()
    {
        QFETCH(bool, touch);
        m_screen->tap(centreOf(item(QStringLiteral("surveyTool"))), touch);
        QTRY_VERIFY(m_survey->active());
        QTRY_VERIFY(item(QStringLiteral("surveyPanel"))->isVisible());
        QVERIFY(!item(QStringLiteral("missionControlPanel"))->isVisible());
        // Three taps, 400 ms apart (no double tap), and a held press: four corners where they land.
        const QList<QPoint> corners{{80, 150}, {250, 150}, {250, 330}, {80, 330}};
        for (qsizetype i = 0; i < corners.size(); ++i) {
            m_screen->tap(corners[i], touch, i == 3 ? 700 : 0);
            QTRY_COMPARE(m_survey->cornerCount(), int(i + 1));
            const QPointF at = m_map->coordinateToPoint(m_survey->cornerLatitude(int(i)),
                                                        m_survey->cornerLongitude(int(i)));
            QVERIFY(QLineF(at, m_map->mapFromScene(corners[i])).length() < 1.0);
            QTest::qWait(400);
        }
        QTRY_VERIFY(m_survey->planned());
        QVERIFY(m_plan->hasSurvey());
        const int photos = m_survey->photoCount();
        const int waypoints = m_plan->waypointCount();
        QVERIFY(photos > 0 && waypoints > 0);

        // Dragging the third corner's handle 60 px right widens the area: more photos.
        m_screen->drag(corners[2], corners[2] + QPoint(60, 0), touch, {.steps = 10, .holdMs = 100});
        const QPointF moved = m_map->coordinateToPoint(m_survey->cornerLatitude(2), m_survey->cornerLongitude(2));
        QVERIFY(QLineF(moved, m_map->mapFromScene(corners[2] + QPoint(60, 0))).length() < 2.0);
        QCOMPARE(m_survey->cornerCount(), 4); // the drag added nothing and did not pan
        QVERIFY(m_survey->photoCount() > photos);
        QCOMPARE(m_survey->selectedCorner(), 2);

        // The selected corner can be deleted from the card.
        m_screen->tap(centreOf(item(QStringLiteral("surveyDeleteCorner"))), touch);
        QTRY_COMPARE(m_survey->cornerCount(), 3);

        m_screen->tap(centreOf(item(QStringLiteral("surveyDone"))), touch);
        QTRY_VERIFY(!m_survey->active());
        QVERIFY(m_plan->hasSurvey());
        QTRY_VERIFY(item(QStringLiteral("missionControlPanel"))->isVisible());
    }
};

QTEST_MAIN(TestSurveyView)
#include "tst_surveyview.moc"
