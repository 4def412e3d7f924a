// The dashboard as the pilot meets it: the real screen with its mode sheets, opened, started,
// stopped and closed through the sheets themselves.
#include "AppState.h"
#include "DashboardModel.h"
#include "FeatureSheetModel.h"
#include "ScreenHarness.h"

#include <QElapsedTimer>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !msg.contains(QLatin1String("XDG_RUNTIME_DIR")))
        g_warnings << msg;
}

// A screen on the aircraft SDK double, with the dashboard's sheets; the double takes every
// mode it is given, as an aircraft in the air does.
struct Screen : ScreenHarness {
    explicit Screen(const char *path = "qrc:/Zeltrin/screens/dashboard/DashboardView.qml")
    {
        fakeSdk()->answer = DJICommandError{};
        loaded = open(QUrl(QString::fromLatin1(path)));
    }
    bool loaded = false;
    DashboardModel *model() const { return ScreenHarness::model<DashboardModel>(); }
    QQuickItem *sheet() const
    {
        QVariant item;
        QMetaObject::invokeMethod(root(), "presentedSheetContent", Q_RETURN_ARG(QVariant, item));
        return item.value<QQuickItem *>();
    }
    FeatureSheetModel *sheetModel() const
    {
        QQuickItem *s = sheet();
        return s ? s->property("model").value<FeatureSheetModel *>() : nullptr;
    }
};

bool flag(DashboardModel *m, const QString &kind)
{
    return m->property((kind + QStringLiteral("Enabled")).toLatin1()).toBool();
}
bool shown(DashboardModel *m, const QString &show) { return m->property(show.toLatin1()).toBool(); }

} // namespace

class TestDashboardView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        g_warnings.clear();
        qInstallMessageHandler(collectWarnings);
    }
    void cleanup() { qInstallMessageHandler(nullptr); }

    void screensLoadWithoutWarnings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("dashboard") << "qrc:/Zeltrin/screens/dashboard/DashboardView.qml";
        QTest::newRow("telemetry") << "qrc:/Zeltrin/screens/telemetry/TelemetryView.qml";
    }

    void screensLoadWithoutWarnings()
    {
        QFETCH(QString, path);
        Screen s(path.toLatin1().constData());
        QVERIFY(s.loaded && s.root());
        QTest::qWait(50);
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join('\n')));
    }

    void startStopSheets_data()
    {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("stopTitle");
        QTest::addColumn<QByteArray>("ownField");
        QTest::newRow("activetrack") << QByteArray("openActiveTrack") << "showActiveTrack" << "activeTrack" << "Stop Tracking" << QByteArray("trackingSpeed");
        QTest::newRow("poi") << QByteArray("openPOI") << "showPOI" << "poi" << "Stop POI Mode" << QByteArray("radius");
        QTest::newRow("orbit") << QByteArray("openOrbit") << "showOrbit" << "orbit" << "Stop Orbit" << QByteArray("orbitRadius");
    }

    // Start flips the dashboard's flag and closes the sheet; reopened, it offers "Stop …" as
    // a destructive action with its own fields back at their initial values.
    void startStopSheets()
    {
        QFETCH(QByteArray, open);
        QFETCH(QString, show);
        QFETCH(QString, kind);
        QFETCH(QString, stopTitle);
        QFETCH(QByteArray, ownField);
        Screen s;
        QVERIFY(s.loaded);
        DashboardModel *m = s.model();
        QVERIFY(QMetaObject::invokeMethod(m, open.constData()));
        QTRY_VERIFY(s.sheetModel());
        FeatureSheetModel *first = s.sheetModel();
        const QVariant initial = first->property(ownField.constData());
        first->setProperty(ownField.constData(), initial.toDouble() + 1.5);
        QVERIFY(!first->property("isDestructive").toBool());

        first->startStop();
        QVERIFY(flag(m, kind));
        // The screen handed the sheet its mode's link: the aircraft got that mode, as edited.
        DJIModeSettings expected = first->modeSettings();
        if (auto *poi = std::get_if<DJIPointOfInterestSettings>(&expected))
            poi->target = m->poiLink()->target(); // the dashboard's part
        QCOMPARE(s.fakeSdk()->modeStarts.size(), 1);
        QVERIFY(s.fakeSdk()->modeStarts[0] == expected);
        QCOMPARE(modeOf(s.fakeSdk()->modeStarts[0]), first->mode());
        QTRY_VERIFY(!shown(m, show));
        QTRY_VERIFY(!s.sheet());

        QVERIFY(QMetaObject::invokeMethod(m, open.constData()));
        QTRY_VERIFY(s.sheetModel());
        FeatureSheetModel *again = s.sheetModel();
        QCOMPARE(again->actionTitle(), stopTitle);
        QVERIFY(again->property("isDestructive").toBool());
        QCOMPARE(again->property(ownField.constData()), initial);

        // "Done" closes and changes nothing.
        QVERIFY(QMetaObject::invokeMethod(s.sheet(), "doneClicked"));
        QTRY_VERIFY(!shown(m, show));
        QVERIFY(flag(m, kind));
        QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join('\n')));
    }

    void toggleSheetsWriteAtOnceAndStayOpen_data()
    {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("kind");
        QTest::newRow("rth") << QByteArray("openRTH") << "showRTH" << "rth";
        QTest::newRow("geofence") << QByteArray("openGeofence") << "showGeofence" << "geofence";
    }

    void toggleSheetsWriteAtOnceAndStayOpen()
    {
        QFETCH(QByteArray, open);
        QFETCH(QString, show);
        QFETCH(QString, kind);
        Screen s;
        QVERIFY(s.loaded);
        DashboardModel *m = s.model();
        QVERIFY(QMetaObject::invokeMethod(m, open.constData()));
        QTRY_VERIFY(s.sheetModel());
        s.sheetModel()->setIsEnabled(true);
        QVERIFY(flag(m, kind));
        if (kind == "geofence") {
            s.sheetModel()->setProperty("radius", 1200.0);
            QCOMPARE(m->geofenceRadius(), 1200.0); // straight into the dashboard
        }
        QTest::qWait(100);
        QVERIFY(shown(m, show));
        QVERIFY(s.sheet());
        QVERIFY(QMetaObject::invokeMethod(s.sheet(), "doneClicked"));
        QTRY_VERIFY(!shown(m, show));
        QVERIFY(flag(m, kind));
        if (kind == "geofence") {
            QCOMPARE(m->geofenceRadius(), 1200.0);
            // Reopened, the sheet shows the dashboard's radius, not a fresh one.
            m->openGeofence();
            QTRY_VERIFY(s.sheetModel());
            QCOMPARE(s.sheetModel()->property("radius").toDouble(), 1200.0);
        }
    }

    // The geofence radius slider in its sheet: a stray tap on the track keeps 500 m, a vertical
    // drag from the slider scrolls the sheet, and only dragging the thumb writes the radius.
    void geofenceSliderByFinger_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void geofenceSliderByFinger()
    {
        QFETCH(bool, touch);
        Screen s;
        QVERIFY(s.loaded);
        DashboardModel *m = s.model();
        m->openGeofence();
        QTRY_VERIFY(s.sheetModel());
        QTest::qWait(450);
        QQuickItem *sheet = s.sheet();
        QVERIFY(sheet);
        auto *slider = s.findWhere([](QQuickItem *i) { return i->inherits("QQuickSlider"); }, sheet);
        QVERIFY(slider);
        auto *flick = s.findWhere([](QQuickItem *i) { return i->inherits("QQuickFlickable"); }, sheet);
        QVERIFY(flick);
        QCOMPARE(m->geofenceRadius(), 500.0);
        auto at = [&](double fraction) {
            return slider->mapToScene(QPointF(14 + fraction * (slider->width() - 28), slider->height() / 2)).toPoint();
        };
        const QPoint track = at(0.95);
        s.tap(track, touch);
        QCOMPARE(m->geofenceRadius(), 500.0);

        // The sheet follows the finger (over its bounds if it has nothing more to show).
        const double before = flick->property("contentY").toDouble();
        double during = before;
        s.drag(at(0.7), at(0.7) - QPoint(0, 150), touch,
               {.whileHeld = [&] { during = flick->property("contentY").toDouble(); }});
        QVERIFY2(during > before + 40, qPrintable(QString::number(during)));
        QCOMPARE(m->geofenceRadius(), 500.0);
        QTest::qWait(600); // let the flick come to rest

        const QPoint thumb = at((500.0 - 50) / 1950);
        s.drag(thumb, at(0.5), touch);
        QVERIFY2(qAbs(m->geofenceRadius() - 1025) < 10, qPrintable(QString::number(m->geofenceRadius())));
    }

    // "Start ActiveTrack" tapped twice as the sheet slides away starts tracking once; the
    // dashboard then shows "Stop Track" with its indicator.
    void activeTrackDoubleTapStartsOnce_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void activeTrackDoubleTapStartsOnce()
    {
        QFETCH(bool, touch);
        Screen s;
        QVERIFY(s.loaded);
        DashboardModel *m = s.model();
        QQuickItem *open = s.findByProperty("label", QStringLiteral("ActiveTrack"));
        QVERIFY(open);
        s.tap(open, touch);
        QTRY_VERIFY(s.sheet());
        QTest::qWait(450);
        QQuickItem *start = s.findByProperty("title", QStringLiteral("Start ActiveTrack"), s.sheet());
        QVERIFY(start);
        // Bring it on screen first: the sheet scrolls.
        auto *flick = s.findWhere([](QQuickItem *i) { return i->inherits("QQuickFlickable"); }, s.sheet());
        QVERIFY(flick);
        QMetaObject::invokeMethod(s.sheet(), "scrollToEnd");
        QTest::qWait(50);
        const QPoint p = centreOf(start);
        QVERIFY(p.y() < s.view()->height());
        s.tap(p, touch, 0, 0);
        QVERIFY(m->activeTrackEnabled());
        QTest::qWait(80);
        s.tap(p, touch, 0, 0);
        QVERIFY(m->activeTrackEnabled());
        QTRY_VERIFY(!m->showActiveTrack());
        QTRY_VERIFY(!s.sheet());
        QVERIFY(s.findByProperty("label", QStringLiteral("Stop Track")));
        QVERIFY(s.findByProperty("text", QStringLiteral("Tracking Active")));
    }

    // Every tappable thing on the dashboard and in its sheets takes a touch of 44 × 44.
    void touchTargetsAreFingerSized_data()
    {
        QTest::addColumn<QByteArray>("open"); // empty: the dashboard itself
        QTest::newRow("dashboard") << QByteArray();
        for (const char *o : {"openActiveTrack", "openPOI", "openOrbit", "openRTH", "openGeofence"})
            QTest::newRow(o) << QByteArray(o);
    }
    void touchTargetsAreFingerSized()
    {
        QFETCH(QByteArray, open);
        Screen s;
        QVERIFY(s.loaded);
        QQuickItem *scope = s.view()->contentItem();
        if (!open.isEmpty()) {
            QVERIFY(QMetaObject::invokeMethod(s.model(), open.constData()));
            QTRY_VERIFY(s.sheet());
            QTest::qWait(450);
            scope = s.sheet();
            QVERIFY2(scope, "the sheet closed by itself");
        }
        QStringList small;
        int checked = 0;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (!item->isVisible())
                return;
            bool tappable = item->inherits("QQuickAbstractButton") || item->inherits("QQuickMouseArea");
            for (QObject *c : item->children())
                tappable = tappable || c->inherits("QQuickTapHandler");
            // Full-screen catchers (backdrops) are not controls.
            if (tappable && item->width() < s.view()->width()) {
                ++checked;
                QRectF hit(0, 0, item->width(), item->height());
                if (auto *mask = qobject_cast<QQuickItem *>(item->containmentMask()))
                    hit = mask->mapRectToItem(item, QRectF(0, 0, mask->width(), mask->height()));
                if (hit.width() < 44 || hit.height() < 44)
                    small << QStringLiteral("%1 '%2' %3x%4").arg(QString::fromLatin1(item->metaObject()->className()),
                                                              item->property("text").toString())
                                 .arg(hit.width()).arg(hit.height());
            }
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(scope);
        QVERIFY(checked > 3);
        QVERIFY2(small.isEmpty(), qPrintable(small.join(QLatin1Char('\n'))));
    }

    // The active tile springs to its look like a spring of response 0.3 s and damping
    // fraction 0.825: about 1 % past the end, within 2 % after about 0.19 s.
    void quickActionSpringStepResponse()
    {
        Screen s;
        QVERIFY(s.loaded);
        QQuickItem *button = s.findByProperty("label", QStringLiteral("ActiveTrack"));
        QVERIFY(button);
        QElapsedTimer clock;
        QList<QPair<qint64, double>> samples;
        s.model()->setActiveTrackEnabled(true);
        clock.start();
        while (clock.elapsed() < 600) {
            QTest::qWait(4);
            samples.append({clock.elapsed(), button->property("activeness").toDouble()});
        }
        double peak = 0;
        qint64 settled = 0;
        for (const auto &[t, v] : samples) {
            peak = std::max(peak, v);
            if (std::abs(1 - v) > 0.02)
                settled = t;
        }
        QVERIFY2(peak > 1.002 && peak < 1.03, qPrintable(QString::number(peak)));
        // Sampled on a busy machine the last frame outside the band can come early (frames are missed)
        // or the crossing late; the bounds only rule out no spring at all and a slow one.
        QVERIFY2(settled > 60 && settled < 450, qPrintable(QString::number(settled)));
        QCOMPARE(samples.last().second, 1.0);

        // The green dot: its top-right corner 6 right of and 6 above the icon's.
        QQuickItem *icon = s.find(QStringLiteral("quickActionIcon"), button);
        QQuickItem *dot = s.find(QStringLiteral("activeDot"), button);
        QVERIFY(icon && dot && icon->isVisible() && dot->isVisible());
        const QPointF dotCorner = dot->mapToItem(icon, QPointF(dot->width(), 0));
        QCOMPARE(dotCorner, QPointF(icon->width() + 6, -6));
    }

    // The telemetry screen: every row has its divider along the bottom, the last of a section too.
    void telemetryRowsAllHaveDividers()
    {
        Screen s("qrc:/Zeltrin/screens/telemetry/TelemetryView.qml");
        QVERIFY(s.loaded);
        int rows = 0;
        int dividers = 0;
        std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
            if (item->objectName() == u"rowDivider") {
                ++rows;
                dividers += item->isVisible() && item->width() > 100 ? 1 : 0;
            }
            for (QQuickItem *child : item->childItems())
                walk(child);
        };
        walk(s.view()->contentItem());
        QCOMPARE(rows, 15);
        QCOMPARE(dividers, 15);
    }

    // In the real tab view: "Mission" shows the flight plan tab; the Dashboard tab brings the
    // dashboard back with tracking still on.
    void missionSwitchesTabAndKeepsTracking_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::newRow("touch") << true;
        QTest::newRow("mouse") << false;
    }
    void missionSwitchesTabAndKeepsTracking()
    {
        QFETCH(bool, touch);
        Screen s("qrc:/Zeltrin/app/qml/MainTabView.qml");
        QVERIFY(s.loaded);
        QVariant screen;
        QMetaObject::invokeMethod(s.root(), "screenAt", Q_RETURN_ARG(QVariant, screen), Q_ARG(QVariant, 0));
        auto *dashboardView = screen.value<QQuickItem *>();
        QVERIFY(dashboardView);
        auto *m = dashboardView->property("model").value<DashboardModel *>();
        QVERIFY(m);
        m->setActiveTrackEnabled(true);
        QQuickItem *mission = s.findByProperty("label", QStringLiteral("Mission"), dashboardView);
        QVERIFY(mission);
        s.tap(mission, touch);
        QTRY_COMPARE(s.app()->appState()->selectedTab(), AppTab::flightPlan);
        QTRY_VERIFY(!dashboardView->isVisible());

        // The tab bar's first item, as a finger finds it.
        const QPoint dashboardTab(s.view()->width() / 12, s.view()->height() - 25);
        s.tap(dashboardTab, touch);
        QTRY_COMPARE(s.app()->appState()->selectedTab(), AppTab::dashboard);
        QTRY_VERIFY(dashboardView->isVisible());
        QVERIFY(m->activeTrackEnabled());
        QVERIFY(s.findByProperty("label", QStringLiteral("Stop Track"), dashboardView));
    }

    // QML sees the one enumeration of flight modes, and each sheet's link carries its case.
    void flightModesAreOneEnumerationInQml_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("qmlCase");
        QTest::addColumn<int>("mode");
        QTest::newRow("poi") << "poiLink"
                             << "pointOfInterest" << int(DJIIntelligentMode::pointOfInterest);
        QTest::newRow("orbit") << "orbitLink"
                               << "orbit" << int(DJIIntelligentMode::orbit);
        QTest::newRow("rth") << "rthLink"
                             << "smartReturnToHome" << int(DJIIntelligentMode::smartReturnToHome);
        QTest::newRow("geofence") << "geofenceLink"
                                  << "geofence" << int(DJIIntelligentMode::geofence);
        QTest::newRow("activetrack") << "activeTrackLink"
                                     << "activeTrack" << int(DJIIntelligentMode::activeTrack);
    }
    void flightModesAreOneEnumerationInQml()
    {
        QFETCH(QString, link);
        QFETCH(QString, qmlCase);
        QFETCH(int, mode);
        Screen s;
        QQmlExpression e(s.view()->engine()->contextForObject(s.root()), s.root(),
                         QStringLiteral("[DJIIntelligentModes.Mode.%1, model.%2.mode]").arg(qmlCase, link));
        const QVariantList got = e.evaluate().toList();
        QVERIFY2(!e.hasError(), qPrintable(e.error().toString()));
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0].toInt(), mode);
        QCOMPARE(got[1].toInt(), mode);
    }

    void poiSheetCarriesTheAircraftPosition()
    {
        Screen s;
        QVERIFY(s.loaded);
        FlightData f = FlightData::zero;
        f.latitude = 47.3977419;
        f.longitude = 8.5455938;
        s.app()->droneManager()->setFlightData(f);
        s.model()->openPOI();
        QTRY_VERIFY(s.sheetModel());
        const QVariantMap target = s.sheetModel()->property("target").toMap();
        QCOMPARE(target.value("latitude").toDouble(), 47.3977419);
        QCOMPARE(target.value("longitude").toDouble(), 8.5455938);
    }
};

QTEST_MAIN(TestDashboardView)
#include "tst_dashboardview.moc"
