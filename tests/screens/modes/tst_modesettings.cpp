// The typed way from a mode sheet to the aircraft: what the SDK receives when a sheet starts,
// retunes or stops its mode through the dashboard's link, recorded by the SDK double.
#include "FakeDJISDK.h"
#include "ModeSheets.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(DJIModeSettings)

namespace {

// One line per settings value, so a failing comparison shows every field.
QString describe(const DJIModeSettings &settings)
{
    struct {
        QString operator()(const DJIPointOfInterestSettings &s) const
        {
            const QString target = s.target ? QString::asprintf("%g,%g", s.target->latitude, s.target->longitude)
                                            : QStringLiteral("none");
            return QString::asprintf("poi target %s radius %g altitude %g speed %g %s", qPrintable(target), s.radius,
                                     s.altitude, s.speed, s.direction == DJICircleDirection::clockwise ? "cw" : "ccw");
        }
        QString operator()(const DJIOrbitSettings &s) const
        {
            return QString::asprintf("orbit radius %g speed %g hold %d", s.radius, s.speed, s.maintainAltitude);
        }
        QString operator()(const DJISmartReturnSettings &s) const
        {
            return QString::asprintf("return at %g reserve %g wind %d", s.batteryThreshold, s.reservePercentage,
                                     s.includeWindCalculation);
        }
        QString operator()(const DJIGeofenceSettings &s) const
        {
            return QString::asprintf("fence %g auto %d alert %d", s.radius, s.autoReturn, s.alertWhenNear);
        }
        QString operator()(const DJIActiveTrackSettings &s) const
        {
            return QString::asprintf("track %d speed %g distance %g avoid %d", int(s.mode), s.speed, s.distance,
                                     s.obstacleAvoidance);
        }
    } visitor;
    return std::visit(visitor, settings);
}

QStringList describeAll(const QList<DJIModeSettings> &all)
{
    QStringList out;
    for (const DJIModeSettings &s : all)
        out << describe(s);
    return out;
}

// The dashboard on a drone link whose SDK records every command.
struct Linked {
    FakeDJISDK sdk;
    DJIDroneManager drone{&sdk};
    DashboardModel dashboard;
    QStringList failures;
    Linked()
    {
        drone.setLogSink([](const QString &) {});
        dashboard.setDrone(&drone);
        QObject::connect(&drone, &DJIDroneManager::commandFailed,
                         [this](const QString &c, const QString &) { failures << c; });
    }
};

FlightModeLink *linkOf(DashboardModel &d, const QString &kind)
{
    if (kind == "poi")
        return d.poiLink();
    if (kind == "orbit")
        return d.orbitLink();
    if (kind == "rth")
        return d.rthLink();
    if (kind == "geofence")
        return d.geofenceLink();
    return d.activeTrackLink();
}

const QVariantMap kPlace{{"latitude", 47.5}, {"longitude", 8.5}};

} // namespace

class TestModeSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every field the pilot sets in a sheet reaches the SDK with the start, with the target and
    // radius the dashboard owns; values are as the sheet keeps them (inside its ranges).
    void sheetSettingsReachTheSdk_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("target");
        QTest::addColumn<QVariantMap>("set");
        QTest::addColumn<DJIModeSettings>("expected");
        QTest::newRow("poi, every field")
            << "poi" << QVariant(kPlace)
            << QVariantMap{{"radius", 40.0}, {"altitude", 80.0}, {"speed", 7.0}, {"direction", 1}}
            << DJIModeSettings(DJIPointOfInterestSettings{zeltrin::Coordinate{47.5, 8.5}, 40, 80, 7,
                                                          DJICircleDirection::counterclockwise});
        QTest::newRow("poi, fresh sheet, no target")
            << "poi" << QVariant() << QVariantMap{}
            << DJIModeSettings(DJIPointOfInterestSettings{std::nullopt, 20, 30, 3, DJICircleDirection::clockwise});
        QTest::newRow("orbit") << "orbit" << QVariant()
                               << QVariantMap{{"orbitRadius", 60.0},
                                              {"rotationSpeed", 8.5},
                                              {"maintainAltitude", false}}
                               << DJIModeSettings(DJIOrbitSettings{60, 8.5, false});
        QTest::newRow("orbit radius kept in range") << "orbit" << QVariant() << QVariantMap{{"orbitRadius", 150.0}}
                                                    << DJIModeSettings(DJIOrbitSettings{100, 5, true});
        QTest::newRow("return home") << "rth" << QVariant()
                                     << QVariantMap{{"batteryThreshold", 40.0},
                                                    {"reservePercentage", 22.0},
                                                    {"includeWindCalculation", false}}
                                     << DJIModeSettings(DJISmartReturnSettings{40, 22, false});
        QTest::newRow("geofence") << "geofence" << QVariant()
                                  << QVariantMap{{"radius", 900.0}, {"autoReturn", false}, {"alertWhenNear", false}}
                                  << DJIModeSettings(DJIGeofenceSettings{900, false, false});
        QTest::newRow("activetrack") << "activetrack" << QVariant()
                                     << QVariantMap{{"trackingMode", 2},
                                                    {"trackingSpeed", 12.0},
                                                    {"trackingDistance", 25.5},
                                                    {"obstacleAvoidance", false}}
                                     << DJIModeSettings(
                                            DJIActiveTrackSettings{DJIActiveTrackMode::spotlight, 12, 25.5, false});
    }
    void sheetSettingsReachTheSdk()
    {
        QFETCH(QString, kind);
        QFETCH(QVariant, target);
        QFETCH(QVariantMap, set);
        QFETCH(DJIModeSettings, expected);
        Linked t;
        t.dashboard.setPoiTarget(target);
        auto sheet = makeSheet(kind, &t.dashboard);
        QVERIFY(setAll(sheet.get(), set));
        sheet->setIsEnabled(true);
        QCOMPARE(describeAll(t.sdk.modeStarts), QStringList{describe(expected)});
        QVERIFY(t.sdk.modeStarts.constFirst() == expected);
        QVERIFY(t.sdk.modeUpdates.isEmpty());
        sheet->setIsEnabled(false);
        QCOMPARE(t.sdk.modeStops, QList<DJIIntelligentMode>{modeOf(expected)});
    }

    // While the mode runs, settings that rest for the resend time go out once, as they are
    // then; a stopped mode and unchanged settings send nothing.
    void changesWhileRunningAreSentOnceTheyRest_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("stopFirst");
        QTest::addColumn<QVariantMap>("first");
        QTest::addColumn<QVariantMap>("then");
        QTest::addColumn<QStringList>("updates");
        QTest::newRow("orbit: a drag sends its last value")
            << "orbit" << false << QVariantMap{{"orbitRadius", 40.0}} << QVariantMap{{"orbitRadius", 45.0}}
            << QStringList{"orbit radius 45 speed 5 hold 1"};
        QTest::newRow("poi: the target goes along")
            << "poi" << false << QVariantMap{{"speed", 9.0}} << QVariantMap{{"direction", 1}}
            << QStringList{"poi target 47.5,8.5 radius 20 altitude 30 speed 9 ccw"};
        QTest::newRow("return: trigger") << "rth" << false << QVariantMap{{"batteryThreshold", 45.0}} << QVariantMap{}
                                         << QStringList{"return at 45 reserve 15 wind 1"};
        QTest::newRow("geofence: radius and alert")
            << "geofence" << false << QVariantMap{{"radius", 600.0}} << QVariantMap{{"alertWhenNear", false}}
            << QStringList{"fence 600 auto 1 alert 0"};
        QTest::newRow("activetrack: distance") << "activetrack" << false << QVariantMap{{"trackingDistance", 20.0}}
                                               << QVariantMap{} << QStringList{"track 0 speed 5 distance 20 avoid 1"};
        QTest::newRow("unchanged: nothing")
            << "orbit" << false << QVariantMap{{"orbitRadius", 30.0}} << QVariantMap{} << QStringList{};
        QTest::newRow("stopped: nothing")
            << "geofence" << true << QVariantMap{{"radius", 700.0}} << QVariantMap{} << QStringList{};
    }
    void changesWhileRunningAreSentOnceTheyRest()
    {
        QFETCH(QString, kind);
        QFETCH(bool, stopFirst);
        QFETCH(QVariantMap, first);
        QFETCH(QVariantMap, then);
        QFETCH(QStringList, updates);
        Linked t;
        t.sdk.answer = DJICommandError{}; // the aircraft runs the mode
        t.dashboard.setPoiTarget(kPlace);
        auto sheet = makeSheet(kind, &t.dashboard);
        sheet->setIsEnabled(true);
        if (stopFirst)
            sheet->setIsEnabled(false);
        QVERIFY(setAll(sheet.get(), first));
        QTest::qWait(FeatureSheetModel::kResendMs / 3);
        QVERIFY(t.sdk.modeUpdates.isEmpty()); // still moving
        QVERIFY(setAll(sheet.get(), then));
        QTest::qWait(FeatureSheetModel::kResendMs + 200);
        QCOMPARE(describeAll(t.sdk.modeUpdates), updates);
        QCOMPARE(t.sdk.modeStarts.size(), 1);
    }

    // The dashboard's flags, however set, start and stop their mode only when they change,
    // each under its mode's command name; every assignment still notifies. Refusals that come
    // after the pilot turned the mode off leave it off.
    void flagsCommandTheAircraftOnChange_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("start");
        QTest::newRow("poi") << "poi"
                             << "poi"
                             << "poi target 47.5,8.5 radius 20 altitude 30 speed 3 cw";
        QTest::newRow("orbit") << "orbit"
                               << "orbit"
                               << "orbit radius 30 speed 5 hold 1";
        QTest::newRow("rth") << "rth"
                             << "smartRTH"
                             << "return at 25 reserve 15 wind 1";
        QTest::newRow("geofence") << "geofence"
                                  << "geofence"
                                  << "fence 750 auto 1 alert 1";
        QTest::newRow("activetrack") << "activetrack"
                                     << "activeTrack"
                                     << "track 0 speed 5 distance 10 avoid 1";
    }
    void flagsCommandTheAircraftOnChange()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, start);
        Linked t;
        t.dashboard.setPoiTarget(kPlace);
        t.dashboard.setGeofenceRadius(750);
        FlightModeLink *link = linkOf(t.dashboard, kind);
        QSignalSpy notified(link, &FlightModeLink::isEnabledChanged);
        for (bool on : {true, true, false, false})
            link->setEnabled(on);
        QCOMPARE(notified.count(), 4);
        QCOMPARE(describeAll(t.sdk.modeStarts), QStringList{start});
        QCOMPARE(t.sdk.modeStops, QList<DJIIntelligentMode>{link->mode()});
        // The double refuses both; the pilot reads them under the mode's name.
        QTRY_COMPARE(t.failures, (QStringList{name, name}));
    }

    // A flag sheet refuses the link of another mode and keeps its flag to itself.
    void aLinkOfAnotherModeIsRefused_data()
    {
        QTest::addColumn<QString>("sheetKind");
        QTest::addColumn<QString>("linkKind");
        QTest::newRow("orbit sheet, return link") << "orbit"
                                                  << "rth";
        QTest::newRow("return sheet, tracking link") << "rth"
                                                     << "activetrack";
        QTest::newRow("tracking sheet, orbit link") << "activetrack"
                                                    << "orbit";
    }
    void aLinkOfAnotherModeIsRefused()
    {
        QFETCH(QString, sheetKind);
        QFETCH(QString, linkKind);
        Linked t;
        auto sheet = makeSheet(sheetKind, nullptr);
        auto *flagSheet = qobject_cast<FlagSheetModel *>(sheet.get());
        QVERIFY(flagSheet);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sheet cannot edit")));
        flagSheet->setLink(linkOf(t.dashboard, linkKind));
        QVERIFY(!sheet->modeLink());
        sheet->startStop();
        QVERIFY(sheet->isEnabled());
        QVERIFY(!linkOf(t.dashboard, linkKind)->isEnabled());
        QVERIFY(t.sdk.modeStarts.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestModeSettings)
#include "tst_modesettings.moc"
