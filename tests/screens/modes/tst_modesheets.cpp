#include "Fmt.h"
#include "ModeSheets.h"
#include "ModeTypes.h"
#include "SimFlight.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <limits>
#include <memory>

namespace {

// The aircraft hovering, the dashboard wired to it, and a sheet wired to the dashboard.
struct SheetInFlight {
    simflight::Flight f;
    DashboardModel d;
    std::unique_ptr<FeatureSheetModel> sheet; // last: it goes before the dashboard
    // Takes off, then starts the `kind` sheet's mode with `settings`; false if either fails.
    bool start(const QString &kind, const QVariantMap &settings)
    {
        if (!f.connectAircraft())
            return false;
        f.manager.takeOff();
        f.fly(8);
        if (!f.manager.isFlying())
            return false;
        d.setDrone(&f.manager);
        sheet = makeSheet(kind, &d);
        if (!setAll(sheet.get(), settings))
            return false;
        sheet->startStop();
        return true;
    }
};

// What the simulated aircraft was given, in the words of a test row's check: "orbit R S",
// "return C", "fence R A" (+ " quiet" without the near alert), "hovering" or "no fence".
QString aircraftHas(simflight::Flight &f, const QString &check)
{
    FlightModel &m = f.model();
    const QString what = check.section(u' ', 0, 0);
    if (what == "orbit")
        return m.phase() != FlightModel::Phase::orbiting ? QStringLiteral("not orbiting")
                                                          : QString::asprintf("orbit %g %g", m.orbitRadius(), m.orbitSpeed());
    if (what == "return")
        return QString::asprintf("return %g", m.returnCharge());
    if (what == "hovering")
        return m.phase() == FlightModel::Phase::hovering ? what : QStringLiteral("not hovering");
    if (!m.geofence())
        return QStringLiteral("no fence");
    return QString::asprintf("fence %g %d", *m.geofence(), m.geofenceAutoReturn() ? 1 : 0)
        + (m.geofenceAlertNear() ? QString() : QStringLiteral(" quiet"));
}

bool presenterFlag(const QString &kind, const DashboardModel &d)
{
    if (kind == "poi") return d.poiEnabled();
    if (kind == "orbit") return d.orbitEnabled();
    if (kind == "rth") return d.rthEnabled();
    if (kind == "geofence") return d.geofenceEnabled();
    return d.activeTrackEnabled();
}

// The sheet's own fields, so a reopened sheet can be compared with a fresh one.
QVariantMap ownFields(const QObject &m)
{
    QVariantMap out;
    for (const char *name : {"radius", "altitude", "speed", "direction", "orbitRadius", "rotationSpeed",
                             "maintainAltitude", "batteryThreshold", "reservePercentage", "includeWindCalculation",
                             "alertWhenNear", "autoReturn", "trackingMode", "trackingSpeed", "trackingDistance",
                             "obstacleAvoidance"})
        if (m.metaObject()->indexOfProperty(name) >= 0 && QByteArray(name) != "radius")
            out.insert(QString::fromLatin1(name), m.property(name));
        else if (QByteArray(name) == "radius" && qobject_cast<const POISheetModel *>(&m))
            out.insert(QStringLiteral("radius"), m.property(name));
    return out;
}

} // namespace

class TestModeSheets : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enumerations()
    {
        QCOMPARE(ActiveTrackModeInfo::fromRaw(u"Profile"), ActiveTrackMode::profile);
        QCOMPARE(ActiveTrackModeInfo::fromRaw(u"profile"), std::nullopt);
        QCOMPARE(POIDirectionInfo::fromRaw(u"Counter-Clockwise"), POIDirection::counterclockwise);
        QCOMPARE(POIDirectionInfo::fromRaw(u"Counterclockwise"), std::nullopt);
        QStringList titles;
        for (const QVariant &o : ActiveTrackModeInfo::options())
            titles << o.toMap().value("title").toString();
        QCOMPARE(titles, (QStringList{"Trace", "Profile", "Spotlight"}));
        const QVariantMap ccw = POIDirectionInfo::options().at(1).toMap();
        QCOMPARE(ccw.value("text").toString(), QStringLiteral("Counter-Clockwise"));
        QCOMPARE(ccw.value("icon").toString(), QStringLiteral("arrow.counterclockwise"));
    }

    void sliderText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction hidden") << 30.4 << "m" << "30 m";
        QTest::newRow("rounds") << 4.5 << "m/s" << "4 m/s"; // printf: half to even
        QTest::newRow("degrees per second") << 7.6 << QStringLiteral("\u00B0/s") << QStringLiteral("8 \u00B0/s");
        QTest::newRow("percent") << 30.0 << "%" << "30 %";
    }

    void sliderText()
    {
        QFETCH(double, value);
        QFETCH(QString, unit);
        QFETCH(QString, text);
        // The read-out format FeatureSlider and TrackSettingSlider use.
        QCOMPARE(Fmt().f(QStringLiteral("%.0f %@"), value, unit), text);
    }

    void startStopFlow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("stop");
        QTest::newRow("poi") << "poi" << "Start POI Mode" << "Stop POI Mode";
        QTest::newRow("orbit") << "orbit" << "Start Orbit" << "Stop Orbit";
        QTest::newRow("activetrack") << "activetrack" << "Start ActiveTrack" << "Stop Tracking";
    }

    // Start flips the presenter's flag, then asks to close; a reopened sheet says "Stop …",
    // is destructive, and has its own fields back at their initial values.
    void startStopFlow()
    {
        QFETCH(QString, kind);
        QFETCH(QString, start);
        QFETCH(QString, stop);
        DashboardModel dashboard;
        auto sheet = makeSheet(kind, &dashboard);
        const QVariantMap fresh = ownFields(*sheet);
        QCOMPARE(sheet->actionTitle(), start);
        QVERIFY(!sheet->property("isDestructive").toBool());

        // Edit the sheet's own fields, so a reset is visible.
        for (auto it = fresh.begin(); it != fresh.end(); ++it) {
            const QVariant v = it.value();
            sheet->setProperty(it.key().toLatin1(), v.typeId() == QMetaType::Bool ? QVariant(!v.toBool())
                                                     : v.typeId() == QMetaType::Int ? QVariant(1)
                                                                                    : QVariant(v.toDouble() + 1));
        }
        QVERIFY(ownFields(*sheet) != fresh);

        bool flagAtDismiss = false;
        connect(sheet.get(), &FeatureSheetModel::dismissRequested, this,
                [&] { flagAtDismiss = presenterFlag(kind, dashboard); });
        QSignalSpy dismissed(sheet.get(), &FeatureSheetModel::dismissRequested);
        sheet->startStop();
        QCOMPARE(dismissed.count(), 1);
        QVERIFY(flagAtDismiss); // the flag flips before the sheet closes
        QVERIFY(presenterFlag(kind, dashboard));
        sheet.reset(); // closing destroys the content

        auto reopened = makeSheet(kind, &dashboard);
        QCOMPARE(reopened->actionTitle(), stop);
        QVERIFY(reopened->property("isDestructive").toBool());
        QCOMPARE(ownFields(*reopened), fresh);
        reopened->startStop();
        QVERIFY(!presenterFlag(kind, dashboard));
    }

    void doneChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *k : {"poi", "orbit", "rth", "geofence", "activetrack"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }

    void doneChangesNothing()
    {
        QFETCH(QString, kind);
        DashboardModel dashboard;
        dashboard.setGeofenceRadius(800);
        auto sheet = makeSheet(kind, &dashboard);
        QSignalSpy dismissed(sheet.get(), &FeatureSheetModel::dismissRequested);
        QSignalSpy flag(sheet.get(), &FeatureSheetModel::isEnabledChanged);
        sheet->done();
        QCOMPARE(dismissed.count(), 1);
        QCOMPARE(flag.count(), 0);
        QVERIFY(!presenterFlag(kind, dashboard));
        QCOMPARE(dashboard.geofenceRadius(), 800.0);
    }

    // Toggle sheets write the flag at once and stay open; a change from the presenter shows.
    void enableTogglesWriteThrough_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("rth") << "rth";
        QTest::newRow("geofence") << "geofence";
    }

    void enableTogglesWriteThrough()
    {
        QFETCH(QString, kind);
        DashboardModel dashboard;
        auto sheet = makeSheet(kind, &dashboard);
        QSignalSpy dismissed(sheet.get(), &FeatureSheetModel::dismissRequested);
        QSignalSpy changed(sheet.get(), &FeatureSheetModel::isEnabledChanged);
        sheet->setIsEnabled(true);
        QVERIFY(presenterFlag(kind, dashboard));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(dismissed.count(), 0);
        sheet->done();
        QVERIFY(presenterFlag(kind, dashboard)); // closing with "Done" keeps it on
        if (kind == "rth")
            dashboard.setRthEnabled(false);
        else
            dashboard.setGeofenceEnabled(false);
        QVERIFY(!sheet->isEnabled());
        QCOMPARE(changed.count(), 2);
    }

    void geofenceRadiusIsThePresenters_data()
    {
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("stored");
        QTest::newRow("inside") << 1234.5 << 1234.5;
        QTest::newRow("below") << 10.0 << 50.0;
        QTest::newRow("above") << 2500.0 << 2000.0;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 500.0;
    }

    void geofenceRadiusIsThePresenters()
    {
        QFETCH(double, input);
        QFETCH(double, stored);
        DashboardModel dashboard;
        GeofenceSheetModel sheet;
        sheet.setLink(dashboard.geofenceLink());
        QCOMPARE(sheet.radius(), 500.0);
        QSignalSpy presenterSpy(&dashboard, &DashboardModel::geofenceRadiusChanged);
        QSignalSpy sheetSpy(&sheet, &GeofenceSheetModel::radiusChanged);
        sheet.setRadius(input);
        QCOMPARE(dashboard.geofenceRadius(), stored); // written straight through
        QCOMPARE(sheet.radius(), stored);
        QCOMPARE(presenterSpy.count(), 1);
        QCOMPARE(sheetSpy.count(), 1);
        sheet.setAlertWhenNear(false);
        sheet.setAutoReturn(false);
        QVERIFY(!dashboard.geofenceEnabled()); // options leave the flag alone
        sheet.setIsEnabled(true);
        QVERIFY(!sheet.alertWhenNear() && !sheet.autoReturn()); // and the flag leaves them alone
        sheet.done();
        QCOMPARE(dashboard.geofenceRadius(), stored);
    }

    void rangesClamp_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<double>("input");
        QTest::addColumn<double>("stored");
        QTest::newRow("poi radius high") << "poi" << QByteArray("radius") << 51.0 << 50.0;
        QTest::newRow("poi radius low") << "poi" << QByteArray("radius") << 4.0 << 5.0;
        QTest::newRow("poi altitude 100") << "poi" << QByteArray("altitude") << 100.0 << 100.0;
        QTest::newRow("poi speed") << "poi" << QByteArray("speed") << 11.0 << 10.0;
        QTest::newRow("orbit radius") << "orbit" << QByteArray("orbitRadius") << 101.0 << 100.0;
        QTest::newRow("orbit speed") << "orbit" << QByteArray("rotationSpeed") << 0.0 << 1.0;
        QTest::newRow("rth trigger") << "rth" << QByteArray("batteryThreshold") << 60.0 << 50.0;
        QTest::newRow("rth reserve") << "rth" << QByteArray("reservePercentage") << 31.0 << 30.0;
        QTest::newRow("track speed") << "activetrack" << QByteArray("trackingSpeed") << 16.0 << 15.0;
        QTest::newRow("track distance low") << "activetrack" << QByteArray("trackingDistance") << 2.0 << 3.0;
        QTest::newRow("track distance high") << "activetrack" << QByteArray("trackingDistance") << 31.0 << 30.0;
        QTest::newRow("fraction kept") << "activetrack" << QByteArray("trackingDistance") << 12.37 << 12.37;
    }

    void rangesClamp()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, field);
        QFETCH(double, input);
        QFETCH(double, stored);
        DashboardModel dashboard;
        auto sheet = makeSheet(kind, &dashboard);
        QVERIFY(sheet->setProperty(field.constData(), input));
        QCOMPARE(sheet->property(field.constData()).toDouble(), stored);
        const double before = stored;
        sheet->setProperty(field.constData(), std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(sheet->property(field.constData()).toDouble(), before);
    }

    void activeTrackInitialAndSelection()
    {
        ActiveTrackSheetModel m;
        QCOMPARE(m.trackingMode(), ActiveTrackMode::trace);
        QCOMPARE(m.trackingSpeed(), 5.0);
        QCOMPARE(m.trackingDistance(), 10.0);
        QVERIFY(m.obstacleAvoidance());
        m.setTrackingModeIndex(0); // the selected card again
        QCOMPARE(m.trackingMode(), ActiveTrackMode::trace);
        m.setTrackingModeIndex(2);
        QCOMPARE(m.trackingMode(), ActiveTrackMode::spotlight);
        m.setTrackingModeIndex(7); // no such card
        QCOMPARE(m.trackingMode(), ActiveTrackMode::spotlight);
        QVERIFY(!m.isEnabled()); // selection never touches the flag
    }

    void poiCarriesTheTarget()
    {
        DashboardModel dashboard;
        dashboard.setPoiTarget(QVariantMap{{"latitude", 47.5}, {"longitude", 8.5}});
        auto sheet = makeSheet("poi", &dashboard);
        auto *poi = static_cast<POISheetModel *>(sheet.get());
        QCOMPARE(poi->target().toMap().value("latitude").toDouble(), 47.5);
        poi->startStop();
        QCOMPARE(dashboard.poiTarget().toMap().value("latitude").toDouble(), 47.5); // not changed
    }

    // What a pilot sets in a sheet reaches the aircraft when the sheet starts the mode.
    void sheetSettingsReachTheAircraft_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariantMap>("set");
        QTest::addColumn<QString>("check");
        QTest::newRow("orbit radius and speed") << "orbit"
            << QVariantMap{{"orbitRadius", 60.0}, {"rotationSpeed", 8.0}} << "orbit 60 8";
        QTest::newRow("point of interest radius and speed") << "poi"
            << QVariantMap{{"radius", 40.0}, {"speed", 7.0}} << "orbit 40 7";
        QTest::newRow("return trigger") << "rth" << QVariantMap{{"batteryThreshold", 40.0}} << "return 40";
        QTest::newRow("geofence without auto-return") << "geofence"
            << QVariantMap{{"radius", 300.0}, {"autoReturn", false}} << "fence 300 0";
        QTest::newRow("geofence with auto-return") << "geofence"
            << QVariantMap{{"radius", 900.0}, {"autoReturn", true}} << "fence 900 1";
    }
    void sheetSettingsReachTheAircraft()
    {
        QFETCH(QString, kind);
        QFETCH(QVariantMap, set);
        QFETCH(QString, check);
        SheetInFlight t;
        QVERIFY(t.start(kind, set));
        simflight::Flight &f = t.f;
        QVERIFY(presenterFlag(kind, t.d));
        f.fly(1);
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
        QCOMPARE(aircraftHas(f, check), check);
    }

    // A setting moved while the mode runs reaches the aircraft once it rests; a mode that is
    // off is sent nothing.
    void settingsChangedWhileRunningReachTheAircraft_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariantMap>("start");
        QTest::addColumn<bool>("stopFirst");
        QTest::addColumn<QVariantMap>("change");
        QTest::addColumn<QString>("check");
        QTest::newRow("orbit radius while circling") << "orbit" << QVariantMap{{"orbitRadius", 60.0}, {"rotationSpeed", 8.0}}
            << false << QVariantMap{{"orbitRadius", 90.0}} << "orbit 90 8";
        QTest::newRow("point of interest speed") << "poi" << QVariantMap{{"radius", 40.0}, {"speed", 7.0}}
            << false << QVariantMap{{"speed", 3.0}} << "orbit 40 3";
        QTest::newRow("return trigger") << "rth" << QVariantMap{{"batteryThreshold", 30.0}}
            << false << QVariantMap{{"batteryThreshold", 45.0}} << "return 45";
        QTest::newRow("geofence radius and near alert") << "geofence" << QVariantMap{{"radius", 300.0}, {"autoReturn", false}}
            << false << QVariantMap{{"radius", 600.0}, {"alertWhenNear", false}, {"autoReturn", true}} << "fence 600 1 quiet";
        QTest::newRow("a stopped orbit is not restarted") << "orbit" << QVariantMap{{"orbitRadius", 60.0}, {"rotationSpeed", 8.0}}
            << true << QVariantMap{{"orbitRadius", 90.0}} << "hovering";
        QTest::newRow("a stopped geofence stays off") << "geofence" << QVariantMap{{"radius", 300.0}}
            << true << QVariantMap{{"radius", 700.0}} << "no fence";
    }
    void settingsChangedWhileRunningReachTheAircraft()
    {
        QFETCH(QString, kind);
        QFETCH(QVariantMap, start);
        QFETCH(bool, stopFirst);
        QFETCH(QVariantMap, change);
        QFETCH(QString, check);
        SheetInFlight t;
        QVERIFY(t.start(kind, start));
        simflight::Flight &f = t.f;
        if (stopFirst)
            t.sheet->startStop();
        f.fly(1);
        QVERIFY(setAll(t.sheet.get(), change));
        QTRY_COMPARE_WITH_TIMEOUT(aircraftHas(f, check), check, 3 * FeatureSheetModel::kResendMs + 1000);
        QVERIFY2(f.failures.isEmpty(), qPrintable(f.failures.join(u';')));
    }

    // Shown on its own, a sheet keeps its flag (and the geofence its radius) itself.
    void sheetWithoutPresenterKeepsItsOwnFlag_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("stopTitle");
        QTest::newRow("poi") << "poi"
                             << "Stop POI Mode";
        QTest::newRow("orbit") << "orbit"
                               << "Stop Orbit";
        QTest::newRow("rth") << "rth"
                             << "";
        QTest::newRow("geofence") << "geofence"
                                  << "";
        QTest::newRow("activetrack") << "activetrack"
                                     << "Stop Tracking";
    }
    void sheetWithoutPresenterKeepsItsOwnFlag()
    {
        QFETCH(QString, kind);
        QFETCH(QString, stopTitle);
        auto m = makeSheet(kind, nullptr);
        QVERIFY(!m->modeLink());
        QSignalSpy spy(m.get(), &FeatureSheetModel::isEnabledChanged);
        QSignalSpy dismissed(m.get(), &FeatureSheetModel::dismissRequested);
        m->startStop();
        QVERIFY(m->isEnabled());
        QCOMPARE(m->actionTitle(), stopTitle);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(dismissed.count(), 1);
        m->setIsEnabled(false);
        QVERIFY(!m->isEnabled());
        QCOMPARE(spy.count(), 2);
        if (auto *fence = qobject_cast<GeofenceSheetModel *>(m.get())) {
            QCOMPARE(fence->radius(), 500.0);
            fence->setRadius(2500);
            QCOMPARE(fence->radius(), 2000.0);
        }
    }

    void presenterGoingAwayIsSafe()
    {
        OrbitSheetModel m;
        {
            DashboardModel dashboard;
            m.setLink(dashboard.orbitLink());
            dashboard.setOrbitEnabled(true);
            QVERIFY(m.isEnabled());
        }
        m.startStop(); // must not write into the freed presenter
        QVERIFY(m.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestModeSheets)
#include "tst_modesheets.moc"
