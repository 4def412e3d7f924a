#pragma once

#include "AppState.h"
#include "CinematicShot.h"
#include "DJIDroneManager.h"
#include "ElevationData.h"
#include "ElevationSource.h"
#include "MapRegion.h"
#include "MissionBatteries.h"
#include "MissionPlan.h"
#include "MissionTerrain.h"
#include "MultiBatteryMission.h"
#include "WaypointListModel.h"

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>
#include <QVariantList>

#include <optional>

// State and rules of the flight plan screen: the mission being planned, its parameters, the
// selection, the feature flags and the flags that open the screen's sheets. The upload step
// hands the plan to the aircraft at its start and ends when both its two seconds are over and
// the aircraft has answered; an accepted plan is then flown, a refused one stays here with the
// aircraft's reason. Created by the screen, so a new screen starts with a fresh plan.
class FlightPlanModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // The ground kept on the device; what rests on it follows its changes.
    Q_PROPERTY(ElevationData *elevation READ elevation WRITE setElevation NOTIFY elevationChanged)
    Q_PROPERTY(DJIDroneManager *drone READ drone WRITE setDrone NOTIFY droneChanged)
    // Where the plan is published for the checks before take-off.
    Q_PROPERTY(AppState *appState READ appState WRITE setAppState NOTIFY appStateChanged)
    Q_PROPERTY(MapRegion mapPosition READ mapPosition WRITE setMapPosition NOTIFY mapPositionChanged)
    Q_PROPERTY(WaypointListModel *waypoints READ waypoints CONSTANT)
    Q_PROPERTY(int waypointCount READ waypointCount NOTIFY waypointsChanged)
    Q_PROPERTY(double missionAltitude READ missionAltitude WRITE setMissionAltitude NOTIFY missionAltitudeChanged)
    Q_PROPERTY(double missionSpeed READ missionSpeed WRITE setMissionSpeed NOTIFY missionSpeedChanged)
    Q_PROPERTY(bool showWaypointList READ showWaypointList WRITE setShowWaypointList NOTIFY showWaypointListChanged)
    // -1 when nothing is selected; may point past the end after list edits.
    Q_PROPERTY(int selectedWaypoint READ selectedWaypointInt WRITE setSelectedWaypointInt NOTIFY selectedWaypointChanged)
    Q_PROPERTY(bool isUploadingMission READ isUploadingMission WRITE setUploadingMission NOTIFY isUploadingMissionChanged)
    Q_PROPERTY(bool terrainFollowEnabled READ terrainFollowEnabled WRITE setTerrainFollowEnabled NOTIFY terrainFollowEnabledChanged)
    Q_PROPERTY(bool multiBatteryEnabled READ multiBatteryEnabled WRITE setMultiBatteryEnabled NOTIFY multiBatteryEnabledChanged)
    Q_PROPERTY(bool showShotDesigner READ showShotDesigner WRITE setShowShotDesigner NOTIFY showShotDesignerChanged)
    Q_PROPERTY(ShotDesignerSettings *shotDesignerSettings READ shotDesignerSettings CONSTANT)
    Q_PROPERTY(bool show3DPreview READ show3DPreview WRITE setShow3DPreview NOTIFY show3DPreviewChanged)

    // Derived for the tool column and the control panel.
    // Each notifies with the field it follows, so an edit re-evaluates only what it affects.
    Q_PROPERTY(bool showsPreviewTool READ showsPreviewTool NOTIFY waypointsChanged)
    Q_PROPERTY(bool showsTrashTool READ showsTrashTool NOTIFY selectedWaypointChanged)
    Q_PROPERTY(bool showsClearButton READ showsClearButton NOTIFY waypointsChanged)
    Q_PROPERTY(bool uploadEnabled READ uploadEnabled NOTIFY uploadEnabledChanged)
    Q_PROPERTY(QString uploadButtonText READ uploadButtonText NOTIFY isUploadingMissionChanged)
    Q_PROPERTY(QString waypointCountText READ waypointCountText NOTIFY waypointsChanged)
    Q_PROPERTY(QVariantList banners READ banners NOTIFY bannersChanged)
    // Plan files: the message after an open or save (empty when none), and an opened plan
    // waiting for the pilot to confirm that it replaces the current one.
    Q_PROPERTY(QString fileMessage READ fileMessage NOTIFY fileMessageChanged)
    Q_PROPERTY(bool fileMessageIsError READ fileMessageIsError NOTIFY fileMessageChanged)
    Q_PROPERTY(bool replacePending READ replacePending NOTIFY replacePendingChanged)
    Q_PROPERTY(QString replaceMessage READ replaceMessage NOTIFY replacePendingChanged)
    // Length of the upload step; 2 s, shorter in tests.
    Q_PROPERTY(int uploadDurationMs READ uploadDurationMs WRITE setUploadDurationMs NOTIFY uploadDurationMsChanged)
    // Why the aircraft refused the last upload or its start, in its words; empty otherwise.
    Q_PROPERTY(QString uploadMessage READ uploadMessage NOTIFY uploadMessageChanged)
    // An upload asked for while a mission runs waits for the pilot's word.
    Q_PROPERTY(bool replaceMissionPending READ replaceMissionPending NOTIFY replaceMissionPendingChanged)
    Q_PROPERTY(QString replaceMissionMessage READ replaceMissionMessage NOTIFY replaceMissionPendingChanged)
    // "Returning home — low battery" while the aircraft goes home by itself, else empty.
    Q_PROPERTY(QString autoReturnText READ autoReturnText NOTIFY autoReturnTextChanged)
    // The waypoints fly a mapping survey, kept with what it was planned from.
    Q_PROPERTY(bool hasSurvey READ hasSurvey NOTIFY surveyChanged)
    // The map's gestures (taps, press-and-hold) can be taken back one at a time.
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY canUndoChanged)
    // The plan over the ground with terrain follow on: heights, profile, and why not.
    Q_PROPERTY(MissionTerrain *terrain READ terrain CONSTANT)
    // With Multi-Battery on: where each battery's part ends.
    Q_PROPERTY(MissionBatteries *batteries READ batteries CONSTANT)
    // The mission flown a battery at a time; with one waiting, "Resume Mission" carries it on.
    Q_PROPERTY(MultiBatteryMission *multiBattery READ multiBattery WRITE setMultiBattery NOTIFY multiBatteryChanged)
    Q_PROPERTY(bool resumable READ resumable NOTIFY multiBatteryChanged)

public:
    ElevationData *elevation() const { return m_elevation; }
    void setElevation(ElevationData *elevation);
    // How long the step waits for the aircraft's answer before it gives up.
    static constexpr int kAnswerTimeoutMs = 15000;

    explicit FlightPlanModel(QObject *parent = nullptr);
    ~FlightPlanModel() override;

    static MapRegion initialMapPosition();

    DJIDroneManager *drone() const { return m_drone; }
    void setDrone(DJIDroneManager *drone);
    MultiBatteryMission *multiBattery() const { return m_multi; }
    void setMultiBattery(MultiBatteryMission *multi);
    bool resumable() const { return m_multi && m_multi->resumable(); }
    AppState *appState() const { return m_appState; }
    void setAppState(AppState *state);
    // The plan as the aircraft is handed it: each waypoint at the mission altitude above the
    // take-off point; the mission's speed and flags. A survey's waypoints, as long as they are
    // as it planned them, carry its camera actions; other plans carry none.
    DJIWaypointMission aircraftMission() const;

    MapRegion mapPosition() const { return m_mapPosition; }
    void setMapPosition(const MapRegion &r);
    WaypointListModel *waypoints() { return &m_waypoints; }
    const WaypointListModel *waypoints() const { return &m_waypoints; }
    int waypointCount() const { return m_waypoints.count(); }
    double missionAltitude() const { return m_altitude; }
    void setMissionAltitude(double v);
    double missionSpeed() const { return m_speed; }
    void setMissionSpeed(double v);
    bool showWaypointList() const { return m_showWaypointList; }
    void setShowWaypointList(bool v);
    std::optional<qsizetype> selectedWaypoint() const { return m_waypoints.marked(); }
    void setSelectedWaypoint(std::optional<qsizetype> p);
    int selectedWaypointInt() const;
    void setSelectedWaypointInt(int p);
    bool isUploadingMission() const { return m_uploading; }
    void setUploadingMission(bool v);
    bool terrainFollowEnabled() const { return m_terrain; }
    void setTerrainFollowEnabled(bool v);
    bool multiBatteryEnabled() const { return m_multiBattery; }
    void setMultiBatteryEnabled(bool v);
    bool showShotDesigner() const { return m_showShotDesigner; }
    void setShowShotDesigner(bool v);
    ShotDesignerSettings *shotDesignerSettings() { return &m_shot; }
    bool show3DPreview() const { return m_show3D; }
    void setShow3DPreview(bool v);
    int uploadDurationMs() const { return m_uploadMs; }
    void setUploadDurationMs(int ms);
    QString uploadMessage() const { return m_uploadMessage; }
    bool replaceMissionPending() const { return m_replaceMissionPending; }
    QString replaceMissionMessage() const;
    QString autoReturnText() const { return m_drone ? m_drone->autoReturnText() : QString(); }
    // The aircraft is flying a mission, or holding one paused.
    bool missionRunning() const;

    bool showsPreviewTool() const { return waypointCount() >= 2; }
    bool showsTrashTool() const { return selectedWaypoint().has_value(); }
    bool showsClearButton() const { return waypointCount() >= 1; }
    bool uploadEnabled() const { return waypointCount() >= 1 && !m_uploading; }
    QString uploadButtonText() const;
    QString waypointCountText() const;
    QVariantList banners() const;

    Q_INVOKABLE void addWaypoint();
    // The map's taps. A tap adds a waypoint (addWaypoint: where it lands is not used). The
    // second tap of a double tap zooms the map; here it takes back what the first one added,
    // if the list is still as that tap left it, and keeps the selection.
    Q_INVOKABLE void mapTapped(double latitude, double longitude);
    Q_INVOKABLE void mapDoubleTapped(double latitude, double longitude);
    // A press held on the map: a waypoint where the finger is.
    Q_INVOKABLE void mapLongPressed(double latitude, double longitude);
    // A waypoint's marker taken on the map and dragged: the path follows at once; the whole
    // drag is one gesture for undo.
    Q_INVOKABLE void startWaypointMove(int position);
    Q_INVOKABLE void moveWaypoint(int position, double latitude, double longitude);
    // Takes back the last map gesture: the waypoints and the selection as they were before it.
    Q_INVOKABLE void undo();
    bool canUndo() const { return !m_undo.isEmpty(); }
    Q_INVOKABLE void selectWaypoint(int position);
    Q_INVOKABLE void deleteSelectedWaypoint();
    Q_INVOKABLE void executeMission();
    // Carries the waiting multi-battery mission on, if the plan is still the one it began with.
    Q_INVOKABLE void resumeMission();
    // The pilot's answer to "Replace the running mission?".
    Q_INVOKABLE void confirmReplaceMission();
    Q_INVOKABLE void cancelReplaceMission();
    // Ends a running upload step early; the flag drops at once and the answer is not waited for.
    Q_INVOKABLE void cancelUpload();
    Q_INVOKABLE void dismissUploadMessage();
    Q_INVOKABLE void clearWaypoints();
    // Waypoint list edits: removed positions; source positions and a destination offset.
    Q_INVOKABLE void deleteWaypoints(const QList<int> &positions);
    Q_INVOKABLE void moveWaypoints(const QList<int> &sources, int destination);
    // The waypoint the map shows as selected, or -1 (also when the selection is out of range).
    Q_INVOKABLE int markedWaypoint() const;

    // Plan files, by local path or file URL. Open reads the whole file first: on any failure
    // the plan is left as it was and fileMessage names the file and the reason. With
    // waypoints in the plan, a good file waits for confirmReplace() or cancelReplace().
    Q_INVOKABLE bool openPlan(const QString &file);
    Q_INVOKABLE void confirmReplace();
    Q_INVOKABLE void cancelReplace();
    // Saves in the format the name's extension says (.plan when it says none).
    Q_INVOKABLE bool savePlan(const QString &file);
    Q_INVOKABLE void dismissFileMessage();
    // What the banner over the map says after a file action (the plan library's too).
    void setFileMessage(const QString &text, bool isError);
    QString fileMessage() const { return m_fileMessage; }
    bool fileMessageIsError() const { return m_fileMessageIsError; }
    bool replacePending() const { return m_pending.has_value(); }
    QString replaceMessage() const;
    // The plan as a file holds it.
    zeltrin::MissionPlan toMissionPlan() const;
    // Replaces the plan in one step: one model reset, however many waypoints.
    void applyMissionPlan(const zeltrin::MissionPlan &plan);
    // The survey the waypoints fly; any other edit of the waypoints ends it (they stay).
    const std::optional<zeltrin::MissionPlan::Survey> &survey() const { return m_survey; }
    bool hasSurvey() const { return m_survey.has_value(); }
    // Removes the survey and its waypoints.
    void clearSurvey();

    // The ground under the plan (elevation data kept on the device); none: unknown everywhere.
    const ElevationSource *ground() const { return m_ground; }
    MissionTerrain *terrain() { return &m_terrainPlan; }
    MissionBatteries *batteries() { return &m_batteries; }
    void setGround(const ElevationSource *ground);
    // Where the aircraft takes off: its home point once it has one; none before.
    std::optional<zeltrin::Coordinate> takeOffPoint() const;

    // Packs the plan needs flown as one flight, each landing with the reserve left (none:
    // unknown); and why it is not flown, with Multi-Battery off, when that is more than one.
    std::optional<int> batteriesNeeded() const;
    QString batteryRefusal() const;

    // Read-out of a mission slider: "%.0f %@" ("50 m", "8 m/s").
    Q_INVOKABLE static QString sliderValueText(double value, const QString &unit);

Q_SIGNALS:
    void elevationChanged();
    void droneChanged();
    void multiBatteryChanged();
    void mapPositionChanged();
    void waypointsChanged();
    void missionAltitudeChanged();
    void missionSpeedChanged();
    void showWaypointListChanged();
    void selectedWaypointChanged();
    void isUploadingMissionChanged();
    // The upload step ran to its end (not cancelled) and the aircraft took the plan; it is
    // now told to fly it.
    void missionUploaded();
    void appStateChanged();
    void uploadMessageChanged();
    void replaceMissionPendingChanged();
    void autoReturnTextChanged();
    void terrainFollowEnabledChanged();
    void multiBatteryEnabledChanged();
    void showShotDesignerChanged();
    void show3DPreviewChanged();
    void uploadDurationMsChanged();
    void uploadEnabledChanged();
    void bannersChanged();
    void fileMessageChanged();
    void replacePendingChanged();
    void surveyChanged();
    void canUndoChanged();
    // New elevation data, or a new take-off point: what rests on the ground is worked again.
    void groundChanged();
    // A plan was opened: the map fits these bounds (degrees).
    void planOpened(double south, double west, double north, double east);

private:
    QPointer<ElevationData> m_elevation;
    QPointer<DJIDroneManager> m_drone;
    QPointer<MultiBatteryMission> m_multi;
    const ElevationSource *m_ground = nullptr;
    // The ground under the take-off point of a plan opened with heights above sea level.
    std::optional<double> m_seaLevelGround;
    // Metres above sea level of the ground where a plan takes off (its home, its first
    // waypoint), when known.
    std::optional<double> takeOffGround(const zeltrin::MissionPlan &plan) const;
    MissionTerrain m_terrainPlan;
    MissionBatteries m_batteries;
    // What the battery parts are worked out from: none with Multi-Battery off, or when the
    // aircraft has not given its figures.
    std::optional<MissionBatteries::Request> batteryRequest() const;
    void batteryPartsChanged();
    // Below "Multi-Battery Mission" while the parts can be flown: how many, and what happens
    // between them.
    QString batteryNote() const;
    // Hands a plan of several parts to the multi-battery mission, part 1 first; false when it
    // is one the aircraft flies whole.
    bool flyInParts();
    MapRegion m_mapPosition = initialMapPosition();
    WaypointListModel m_waypoints;
    double m_altitude = 50.0;
    double m_speed = 8.0;
    bool m_showWaypointList = false;
    bool m_uploading = false;
    bool m_terrain = false;
    bool m_multiBattery = false;
    bool m_showShotDesigner = false;
    ShotDesignerSettings m_shot;
    bool m_show3D = false;
    int m_uploadMs = 2000;
    QString m_fileMessage;
    bool m_fileMessageIsError = false;
    QTimer m_fileMessageTimer; // the message goes by itself, as the upload's does
    struct PendingOpen {
        zeltrin::MissionPlan plan;
        QString fileName;
        int skipped = 0;
    };
    std::optional<PendingOpen> m_pending;
    std::optional<zeltrin::MissionPlan::Home> m_plannedHome; // of the opened file, written back on save
    std::optional<zeltrin::MissionPlan::Survey> m_survey;
    bool m_applyingPlan = false; // the survey's own waypoints are going in
    // The survey the waypoints fly; any other edit of the list leaves plain waypoints.
    bool surveyHolds() const { return m_survey.has_value(); }
    struct TapAdded {
        qsizetype position;
        zeltrin::Coordinate coordinate;
    };
    std::optional<TapAdded> m_tapAdded; // by the last map tap
    struct Before {
        QList<zeltrin::Coordinate> waypoints;
        std::optional<qsizetype> selected;
        std::optional<zeltrin::MissionPlan::Survey> survey;
    };
    QList<Before> m_undo; // the newest last; kept to kMaxUndo gestures
    static constexpr qsizetype kMaxUndo = 100;
    void rememberForUndo();
    // The upload step's wait; a monotonic timer owned by the model, so it dies with the screen.
    QTimer m_uploadTimer;
    // How far the running step is: the wait over, the aircraft's answer in.
    struct Upload {
        quint64 id = 0; // answers to an older step are not this one's
        DJIWaypointMission mission;
        bool waited = false;
        bool answered = false;
        DJICommandError refusal;
    };
    Upload m_upload;
    QTimer m_answerTimer;
    QPointer<AppState> m_appState;
    QString m_uploadMessage;
    QTimer m_uploadMessageTimer;
    bool m_replaceMissionPending = false;

    void startUpload();
    void uploadAnswered(quint64 id, const DJICommandError &refusal);
    void finishUpload();
    void setUploadMessage(const QString &text);
    void publishPlan();
};
