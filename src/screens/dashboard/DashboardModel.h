#pragma once

#include "AppState.h"
#include "DJIDroneManager.h"
#include "DroneNoticeModel.h"
#include "FlightModeLink.h"
#include "PreflightChecklistModel.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QVariant>

// The dashboard's texts, colours and rules, computed from the drone link, plus the screen's own
// state: which mode sheet is up and which intelligent modes are on. Each mode's flag lives in
// its link, which the mode's sheet edits and which starts and stops the mode on the aircraft.
// Created by the screen, so it starts afresh whenever the dashboard is built.
class DashboardModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    Q_PROPERTY(AppState *appState READ appState WRITE setAppState NOTIFY appStateChanged)

    // Aircraft status card.
    Q_PROPERTY(QString title READ title NOTIFY aircraftChanged)
    Q_PROPERTY(QString connectionText READ connectionText NOTIFY linkChanged)
    Q_PROPERTY(QColor connectionColor READ connectionColor NOTIFY linkChanged)
    Q_PROPERTY(QString batteryText READ batteryText NOTIFY statsChanged)
    Q_PROPERTY(QColor batteryColor READ batteryColor NOTIFY statsChanged)
    Q_PROPERTY(QString signalText READ signalText NOTIFY statsChanged)
    Q_PROPERTY(QColor signalColor READ signalColor NOTIFY statsChanged)
    Q_PROPERTY(QString gpsText READ gpsText NOTIFY statsChanged)
    Q_PROPERTY(QColor gpsColor READ gpsColor NOTIFY statsChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statsChanged)
    Q_PROPERTY(QColor statusColor READ statusColor NOTIFY statsChanged)

    // Telemetry grid.
    Q_PROPERTY(QString altitudeText READ altitudeText NOTIFY flightDataChanged)
    Q_PROPERTY(QString groundSpeedText READ groundSpeedText NOTIFY flightDataChanged)
    Q_PROPERTY(QString headingText READ headingText NOTIFY flightDataChanged)
    Q_PROPERTY(QString verticalSpeedText READ verticalSpeedText NOTIFY flightDataChanged)
    Q_PROPERTY(QString homeDistanceText READ homeDistanceText NOTIFY flightDataChanged)
    Q_PROPERTY(QString flightTimeText READ flightTimeText NOTIFY flightDataChanged)

    // Link button.
    Q_PROPERTY(QString linkIcon READ linkIcon NOTIFY linkChanged)
    Q_PROPERTY(QColor linkColor READ linkColor NOTIFY linkChanged)

    // Screen state: the ActiveTrack sheet and flag, and the other four mode sheets.
    Q_PROPERTY(bool showActiveTrack READ showActiveTrack WRITE setShowActiveTrack NOTIFY showActiveTrackChanged)
    Q_PROPERTY(bool activeTrackEnabled READ activeTrackEnabled WRITE setActiveTrackEnabled NOTIFY activeTrackEnabledChanged)
    Q_PROPERTY(QString activeTrackLabel READ activeTrackLabel NOTIFY activeTrackEnabledChanged)
    Q_PROPERTY(QColor activeTrackColor READ activeTrackColor NOTIFY activeTrackEnabledChanged)
    Q_PROPERTY(bool showPOI READ showPOI WRITE setShowPOI NOTIFY showPOIChanged)
    Q_PROPERTY(bool poiEnabled READ poiEnabled WRITE setPoiEnabled NOTIFY poiEnabledChanged)
    Q_PROPERTY(QVariant poiTarget READ poiTarget WRITE setPoiTarget NOTIFY poiTargetChanged)
    Q_PROPERTY(bool showOrbit READ showOrbit WRITE setShowOrbit NOTIFY showOrbitChanged)
    Q_PROPERTY(bool orbitEnabled READ orbitEnabled WRITE setOrbitEnabled NOTIFY orbitEnabledChanged)
    Q_PROPERTY(bool showRTH READ showRTH WRITE setShowRTH NOTIFY showRTHChanged)
    Q_PROPERTY(bool rthEnabled READ rthEnabled WRITE setRthEnabled NOTIFY rthEnabledChanged)
    Q_PROPERTY(bool showGeofence READ showGeofence WRITE setShowGeofence NOTIFY showGeofenceChanged)
    Q_PROPERTY(bool geofenceEnabled READ geofenceEnabled WRITE setGeofenceEnabled NOTIFY geofenceEnabledChanged)
    Q_PROPERTY(double geofenceRadius READ geofenceRadius WRITE setGeofenceRadius NOTIFY geofenceRadiusChanged)
    // What each mode's sheet is handed.
    Q_PROPERTY(FlightModeLink *activeTrackLink READ activeTrackLink CONSTANT)
    Q_PROPERTY(PointOfInterestLink *poiLink READ poiLink CONSTANT)
    Q_PROPERTY(FlightModeLink *orbitLink READ orbitLink CONSTANT)
    Q_PROPERTY(FlightModeLink *rthLink READ rthLink CONSTANT)
    Q_PROPERTY(GeofenceLink *geofenceLink READ geofenceLink CONSTANT)

    // Why a quick action cannot act now ("Already flying"), or empty when it can.
    Q_PROPERTY(QString takeOffBlockedReason READ takeOffBlockedReason NOTIFY actionsChanged)
    Q_PROPERTY(QString landBlockedReason READ landBlockedReason NOTIFY actionsChanged)
    Q_PROPERTY(QString rthBlockedReason READ rthBlockedReason NOTIFY actionsChanged)
    // The notices under the bar, and the checks before take-off.
    Q_PROPERTY(DroneNoticeModel *notice READ notice CONSTANT)
    Q_PROPERTY(PreflightChecklistModel *checklist READ checklist CONSTANT)

public:
    static constexpr double kInitialGeofenceRadius = GeofenceLink::kInitialRadius;

    explicit DashboardModel(QObject *parent = nullptr);

    // The rules, separate from any manager so each threshold can be checked on its own.
    static QString batteryText(qint64 percentage);
    static QColor batteryColor(qint64 percentage);
    static QString signalText(qint64 strength);
    static QColor signalColor(qint64 strength);
    static QString gpsText(DJIDroneManager::GPSLevel level);
    static QColor gpsColor(DJIDroneManager::GPSLevel level);
    static QString titleFor(const QString &model);
    static QString headingText(double degrees);
    static QString verticalSpeedText(double metresPerSecond);
    static QString flightTimeText(double seconds);
    static QString linkIcon(DJIDroneManager::ConnectionState state);

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);
    AppState *appState() const { return m_appState; }
    void setAppState(AppState *state);

    QString title() const;
    QString connectionText() const;
    QColor connectionColor() const;
    QString batteryText() const;
    QColor batteryColor() const;
    QString signalText() const;
    QColor signalColor() const;
    QString gpsText() const;
    QColor gpsColor() const;
    QString statusText() const;
    QColor statusColor() const;
    QString altitudeText() const;
    QString groundSpeedText() const;
    QString headingText() const;
    QString verticalSpeedText() const;
    QString homeDistanceText() const;
    QString flightTimeText() const;
    QString linkIcon() const;
    QColor linkColor() const;

    bool showActiveTrack() const { return m_showActiveTrack; }
    void setShowActiveTrack(bool v);
    bool activeTrackEnabled() const { return m_activeTrack.isEnabled(); }
    void setActiveTrackEnabled(bool v) { m_activeTrack.setEnabled(v); }
    QString activeTrackLabel() const;
    QColor activeTrackColor() const;
    bool showPOI() const { return m_showPOI; }
    void setShowPOI(bool v);
    bool poiEnabled() const { return m_poi.isEnabled(); }
    void setPoiEnabled(bool v) { m_poi.setEnabled(v); }
    // {latitude, longitude}, or undefined: no target.
    QVariant poiTarget() const;
    void setPoiTarget(const QVariant &v);
    bool showOrbit() const { return m_showOrbit; }
    void setShowOrbit(bool v);
    bool orbitEnabled() const { return m_orbit.isEnabled(); }
    void setOrbitEnabled(bool v) { m_orbit.setEnabled(v); }
    bool showRTH() const { return m_showRTH; }
    void setShowRTH(bool v);
    bool rthEnabled() const { return m_rth.isEnabled(); }
    void setRthEnabled(bool v) { m_rth.setEnabled(v); }
    bool showGeofence() const { return m_showGeofence; }
    void setShowGeofence(bool v);
    bool geofenceEnabled() const { return m_geofence.isEnabled(); }
    void setGeofenceEnabled(bool v) { m_geofence.setEnabled(v); }
    double geofenceRadius() const { return m_geofence.radius(); }
    void setGeofenceRadius(double v) { m_geofence.setRadius(v); }
    FlightModeLink *activeTrackLink() { return &m_activeTrack; }
    PointOfInterestLink *poiLink() { return &m_poi; }
    FlightModeLink *orbitLink() { return &m_orbit; }
    FlightModeLink *rthLink() { return &m_rth; }
    GeofenceLink *geofenceLink() { return &m_geofence; }
    DroneNoticeModel *notice() { return &m_notice; }
    PreflightChecklistModel *checklist() { return &m_checklist; }

    // The rules for the quick actions, separate from any manager.
    static QString takeOffBlockedReason(DJIDroneManager::ConnectionState state, bool flying);
    static QString landBlockedReason(DJIDroneManager::ConnectionState state, bool flying);
    QString takeOffBlockedReason() const;
    QString landBlockedReason() const;
    QString rthBlockedReason() const { return landBlockedReason(); }
    // "Pre-Flight Checklist" in the settings; read when it is needed.
    bool checklistRequired() const;

    // Taps.
    Q_INVOKABLE void toggleLink();
    // "Take Off": says why it cannot act, or opens the checklist (when the settings ask for
    // one), or asks for the hold (takeOffHoldRequested).
    Q_INVOKABLE void requestTakeOff();
    // The checklist's "Continue": with every item passed, on to the hold.
    Q_INVOKABLE void continueFromChecklist();
    // The hold was held: the aircraft is told to take off, if nothing stands against it now.
    Q_INVOKABLE void takeOff();
    Q_INVOKABLE void land();
    Q_INVOKABLE void returnToHome();
    Q_INVOKABLE void openMission();
    Q_INVOKABLE void openActiveTrack() { setShowActiveTrack(true); }
    Q_INVOKABLE void openPOI(); // targets where the aircraft is now
    Q_INVOKABLE void openOrbit() { setShowOrbit(true); }
    Q_INVOKABLE void openRTH() { setShowRTH(true); }
    Q_INVOKABLE void openGeofence() { setShowGeofence(true); }

Q_SIGNALS:
    void droneChanged();
    void appStateChanged();
    void aircraftChanged();
    void linkChanged();
    void statsChanged();
    void flightDataChanged();
    void showActiveTrackChanged();
    void activeTrackEnabledChanged();
    void showPOIChanged();
    void poiEnabledChanged();
    void poiTargetChanged();
    void showOrbitChanged();
    void orbitEnabledChanged();
    void showRTHChanged();
    void rthEnabledChanged();
    void showGeofenceChanged();
    void geofenceEnabledChanged();
    void geofenceRadiusChanged();
    void actionsChanged();
    void takeOffHoldRequested();

private:
    void emitAll();
    // What the screen shows without a manager: the manager's own initial values.
    DJIDroneManager::ConnectionState state() const;
    DJIDroneManager::BatteryInfo battery() const;
    DJIDroneManager::FlightData flight() const;

    // The return level, geofence and planned mission the checklist judges by.
    void updateChecklistInputs();

    QPointer<DJIDroneManager> m_drone;
    QPointer<AppState> m_appState;
    DroneNoticeModel m_notice;
    PreflightChecklistModel m_checklist;
    bool m_showActiveTrack = false;
    bool m_showPOI = false;
    bool m_showOrbit = false;
    bool m_showRTH = false;
    bool m_showGeofence = false;
    FlightModeLink m_activeTrack{DJIIntelligentMode::activeTrack};
    PointOfInterestLink m_poi;
    FlightModeLink m_orbit{DJIIntelligentMode::orbit};
    FlightModeLink m_rth{DJIIntelligentMode::smartReturnToHome};
    GeofenceLink m_geofence;
};
