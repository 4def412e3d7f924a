#pragma once

#include "FakeDJISDK.h"
#include "SimulatedDJISDK.h"
#include "ZeltrinPilotApp.h"

#include <QObject>
#include <QTemporaryDir>

class TileServer;

// What a tour scene can reach as `tour`: the fresh application of this scene and the SDK
// double behind its drone link, to put the screens into the state the scene shows.
class TourContext : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QObject *sdk READ sdk CONSTANT)
    Q_PROPERTY(QObject *app READ app CONSTANT)
    // While true the local account service never answers (a sign-in stays in flight).
    Q_PROPERTY(bool accountStalls READ accountStalls WRITE setAccountStalls NOTIFY accountStallsChanged)
    // An "offline" scene's local tile server ("" in other scenes).
    Q_PROPERTY(QString tileUrlTemplate READ tileUrlTemplate CONSTANT)
public:
    ~TourContext() override;
    TourContext(ZeltrinPilotApp *app, FakeDJISDK *sdk, QObject *parent = nullptr)
        : QObject(parent), m_app(app), m_sdk(sdk) {}
    // A "live-" scene: the simulated aircraft on a clock the scene moves.
    TourContext(ZeltrinPilotApp *app, SimulatedDJISDK *sim, ManualClock *clock, QObject *parent = nullptr)
        : QObject(parent), m_app(app), m_sdk(nullptr), m_sim(sim), m_clock(clock) {}
    QObject *sdk() const { return m_sdk; }
    QObject *app() const { return m_app; }
    bool accountStalls() const { return m_accountStalls; }
    void setAccountStalls(bool v) { m_accountStalls = v; Q_EMIT accountStallsChanged(); }

    QString tileUrlTemplate() const;
    void setTileServer(TileServer *server) { m_tiles = server; }

    // Offline scenes: downloads an area from the local tile server into the app's offline maps
    // and waits for the end (or, with `stopAfter` > 0, until that many tiles are in, then
    // holds the rest back, leaving the download running).
    Q_INVOKABLE bool downloadArea(double south, double west, double north, double east, int minZoom, int maxZoom,
                                  int stopAfter = 0);
    // The tile server goes away, as the network does in the field.
    Q_INVOKABLE void stopTileServer();
    // Scrolls the list holding the item named `objectName` so that the item shows at its top.
    Q_INVOKABLE bool scrollIntoView(const QString &objectName);

    // Signs in with the local service's demo account (a real request).
    Q_INVOKABLE void signInDemo();

    // An on-screen keyboard covering the window's bottom `height` pixels (0: none).
    Q_INVOKABLE void showKeyboard(qreal height, qreal windowWidth, qreal windowHeight);

    // Live values for the drone link (the fields a feed would fill).
    Q_INVOKABLE void setBattery(qint64 percentage, double voltage, double temperature, qint64 chargeCount,
                                qint64 estimatedFlightTime);
    Q_INVOKABLE void setFlightData(const QVariantMap &values);
    Q_INVOKABLE void setSignal(qint64 strength, int gpsLevel);
    Q_INVOKABLE void setFlying(bool flying);

    // The simulated aircraft (live scenes only): connect it, fly on for simulated seconds
    // (commands complete on the way), drop the link.
    Q_INVOKABLE bool simConnect();
    Q_INVOKABLE void simFly(double seconds);
    Q_INVOKABLE void simDropLink();
    // Hands the aircraft a mission through `points` ([{latitude, longitude}]) at `height` above
    // the take-off point, as the flight plan screen's upload step does.
    Q_INVOKABLE void simMission(const QVariantList &points, double height, double speed);
    // A whole recorded flight: take off, a zigzag survey of `legs` legs `legMetres` long at
    // `altitude`, then home and down. simSkip moves the recorder's clock on without flying
    // (to the next day's flight).
    Q_INVOKABLE bool simSurveyFlight(int legs, double legMetres, double altitude);
    // A recorded mapping flight: a survey planned over a field `widthMetres` by `depthMetres`
    // just north of the take-off point, with the 1-inch camera at `altitude`, flown with its
    // camera actions. Returns the photos the aircraft reported (0 when it could not fly).
    Q_INVOKABLE int simMappingFlight(double widthMetres, double depthMetres, double altitude);
    // A fresh pack at `percent`, and the wind at `speed` m/s blowing from `fromDegrees`.
    Q_INVOKABLE void simBattery(double percent);
    Q_INVOKABLE void simWind(double speed, double fromDegrees);
    Q_INVOKABLE void simSkip(double seconds);
    qint64 recorderNowMs() const;
    // A folder of this scene, as a folder dialog would hand it over.
    Q_INVOKABLE QString sceneFolderUrl() const;

    // A survey plan of `waypoints` written as a .plan file named `name` in a folder of this
    // scene; a `damagedAt` >= 0 cuts the file there. Returns the file's URL, as a dialog would.
    Q_INVOKABLE QString writeSurveyPlan(const QString &name, int waypoints, int damagedAt = -1);
    // Saved plans of several kinds and ages in the plan library's `folder`, one of them
    // damaged when asked.
    Q_INVOKABLE bool fillPlanLibrary(const QString &folder, bool damaged = true);

Q_SIGNALS:
    void accountStallsChanged();

private:
    bool simFlyMission(const DJIWaypointMission &mission);

    bool m_accountStalls = false;
    ZeltrinPilotApp *m_app;
    qint64 m_skipMs = 0;
    FakeDJISDK *m_sdk;
    SimulatedDJISDK *m_sim = nullptr;
    ManualClock *m_clock = nullptr;
    QTemporaryDir m_files;
    TileServer *m_tiles = nullptr;
};
