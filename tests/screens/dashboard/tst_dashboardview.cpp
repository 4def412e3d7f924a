// The dashboard as the pilot meets it: the real screen with its mode sheets, opened, started,
// stopped and closed through the sheets themselves.
#include "DashboardModel.h"
#include "FakeDJISDK.h"
#include "FeatureSheetModel.h"
#include "QmlSetup.h"
#include "ZeltrinPilotApp.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type != QtDebugMsg && type != QtInfoMsg && !msg.contains(QLatin1String("XDG_RUNTIME_DIR")))
        g_warnings << msg;
}

struct Screen {
    std::unique_ptr<ZeltrinPilotApp> app;
    QQuickView view;
    explicit Screen(const char *path = "qrc:/Zeltrin/screens/dashboard/DashboardView.qml")
    {
        ZeltrinPilotApp::Dependencies deps;
        deps.sdk = std::make_unique<FakeDJISDK>();
        app = std::make_unique<ZeltrinPilotApp>(std::move(deps));
        app->droneManager()->setLogSink([](const QString &) {});
        zeltrin::setupEngine(*view.engine());
        app->attachTo(*view.engine());
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.resize(390, 844);
        view.setSource(QUrl(QString::fromLatin1(path)));
        view.show();
    }
    QQuickItem *root() const { return view.rootObject(); }
    DashboardModel *model() const { return root()->property("model").value<DashboardModel *>(); }
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
        QVERIFY(s.root());
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
        DashboardModel *m = s.model();
        QVERIFY(QMetaObject::invokeMethod(m, open.constData()));
        QTRY_VERIFY(s.sheetModel());
        FeatureSheetModel *first = s.sheetModel();
        const QVariant initial = first->property(ownField.constData());
        first->setProperty(ownField.constData(), initial.toDouble() + 1.5);
        QVERIFY(!first->property("isDestructive").toBool());

        first->startStop();
        QVERIFY(flag(m, kind));
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

    void poiSheetCarriesTheAircraftPosition()
    {
        Screen s;
        FlightData f = FlightData::zero;
        f.latitude = 47.3977419;
        f.longitude = 8.5455938;
        s.app->droneManager()->setFlightData(f);
        s.model()->openPOI();
        QTRY_VERIFY(s.sheetModel());
        const QVariantMap target = s.sheetModel()->property("target").toMap();
        QCOMPARE(target.value("latitude").toDouble(), 47.3977419);
        QCOMPARE(target.value("longitude").toDouble(), 8.5455938);
    }
};

QTEST_MAIN(TestDashboardView)
#include "tst_dashboardview.moc"
