#include "FlightPlanModel.h"

#include "MessageTime.h"
#include "NumberFormat.h"
#include "PlanFormats.h"
#include "PlanHeights.h"
#include "SurveyMission.h"

#include <QFileInfo>
#include <QUrl>
#include <QVariantMap>

namespace planio = zeltrin::planio;

FlightPlanModel::FlightPlanModel(QObject *parent)
    : QObject(parent), m_terrainPlan(this), m_batteries(this), m_waypoints(this), m_shot(this), m_uploadTimer(this),
      m_answerTimer(this)
{
    m_uploadTimer.setSingleShot(true);
    m_uploadTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_uploadTimer, &QTimer::timeout, this, [this] {
        m_upload.waited = true;
        finishUpload();
    });
    // Never waits on the aircraft for ever.
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this,
            [this] { uploadAnswered(m_upload.id, QStringLiteral("The aircraft did not answer the upload")); });
    connect(&m_waypoints, &CoordinateListModel::countChanged, this, [this] {
        Q_EMIT waypointsChanged();
        Q_EMIT uploadEnabledChanged();
    });
    // Every edit of what the aircraft would be handed is published for the take-off checks.
    connect(&m_waypoints, &QAbstractItemModel::dataChanged, this, &FlightPlanModel::publishPlan);
    connect(&m_waypoints, &QAbstractItemModel::modelReset, this, &FlightPlanModel::publishPlan);
    connect(&m_waypoints, &QAbstractItemModel::rowsMoved, this, &FlightPlanModel::publishPlan);
    connect(&m_waypoints, &CoordinateListModel::coordinatesChangedFrom, this, [this] {
        if (!m_applyingPlan && std::exchange(m_survey, std::nullopt))
            Q_EMIT surveyChanged();
    });
    for (auto sig : {&FlightPlanModel::waypointsChanged, &FlightPlanModel::missionAltitudeChanged,
                     &FlightPlanModel::missionSpeedChanged, &FlightPlanModel::terrainFollowEnabledChanged,
                     &FlightPlanModel::multiBatteryEnabledChanged, &FlightPlanModel::groundChanged})
        connect(this, sig, this, &FlightPlanModel::publishPlan);
    // The heights over the ground are worked out after the edit: the plan goes out again with them.
    m_batteries.setSource([this] { return batteryRequest(); });
    connect(&m_batteries, &MissionBatteries::changed, this, &FlightPlanModel::batteryPartsChanged);
    connect(&m_terrainPlan, &MissionTerrain::changed, this, [this] {
        m_batteries.schedule();
        Q_EMIT bannersChanged();
        if (m_appState)
            m_appState->setPlannedMission(waypointCount() > 0 ? std::optional(aircraftMission()) : std::nullopt);
    });
    m_fileMessageTimer.setSingleShot(true);
    connect(&m_fileMessageTimer, &QTimer::timeout, this, &FlightPlanModel::dismissFileMessage);
    m_uploadMessageTimer.setSingleShot(true);
    connect(&m_uploadMessageTimer, &QTimer::timeout, this, &FlightPlanModel::dismissUploadMessage);
}

FlightPlanModel::~FlightPlanModel()
{
    // The plan goes with the screen.
    if (m_appState)
        m_appState->setPlannedMission(std::nullopt);
}

void FlightPlanModel::setAppState(AppState *state)
{
    if (m_appState && m_appState != state)
        m_appState->setPlannedMission(std::nullopt);
    m_appState = state;
    publishPlan();
    Q_EMIT appStateChanged();
}

void FlightPlanModel::publishPlan()
{
    m_terrainPlan.setInput({m_terrain, m_waypoints.coordinates(), m_altitude, m_speed, takeOffPoint(), m_ground});
    m_batteries.schedule();
    if (m_appState)
        m_appState->setPlannedMission(waypointCount() > 0 ? std::optional(aircraftMission()) : std::nullopt);
}

MapRegion FlightPlanModel::initialMapPosition()
{
    MapRegion r;
    r.centerLatitude = 43.0;
    r.centerLongitude = -84.0;
    r.latitudeSpan = 0.05;
    r.longitudeSpan = 0.05;
    return r;
}

void FlightPlanModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone)
        QObject::disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (drone) {
        connect(drone, &DJIDroneManager::returnCauseChanged, this, &FlightPlanModel::autoReturnTextChanged);
        connect(drone, &DJIDroneManager::homeChanged, this, &FlightPlanModel::groundChanged);
    }
    Q_EMIT droneChanged();
    Q_EMIT groundChanged();
    Q_EMIT autoReturnTextChanged();
}

bool FlightPlanModel::missionRunning() const
{
    if (!m_drone)
        return false;
    const QString state = m_drone->missionState();
    return state == QLatin1String("executing") || state == QLatin1String("paused");
}

QString FlightPlanModel::replaceMissionMessage() const
{
    if (!m_drone)
        return {};
    return zeltrin::format(
        "The aircraft is flying waypoint %d of %d. This plan of %d takes its place, from its first waypoint.",
        m_drone->missionWaypoint() + 1, m_drone->missionWaypointCount(), waypointCount());
}

DJIWaypointMission FlightPlanModel::aircraftMission() const
{
    DJIWaypointMission mission;
    const QList<zeltrin::Coordinate> &coordinates = m_waypoints.coordinates();
    mission.waypoints.reserve(coordinates.size());
    for (const zeltrin::Coordinate &c : coordinates) {
        DJIWaypoint w;
        w.latitude = c.latitude;
        w.longitude = c.longitude;
        w.height = m_altitude;
        w.heightReference = DJIHeightReference::aboveTakeOff;
        mission.waypoints.append(w);
    }
    mission.speed = m_speed;
    mission.terrainFollow = m_terrain;
    mission.multiBattery = m_multiBattery;
    if (surveyHolds())
        zeltrin::addSurveyCameraActions(mission, *m_survey);
    // Following the ground: the heights worked out for it, above the take-off point, with the
    // waypoints added between; those carry no camera actions (a distance trigger runs on).
    const auto &followed = m_terrainPlan.waypoints();
    if (m_terrain && !followed.empty()) {
        QList<DJIWaypoint> flown;
        flown.reserve(qsizetype(followed.size()));
        for (const MissionTerrain::Waypoint &w : followed) {
            DJIWaypoint d;
            if (w.from >= 0 && w.from < mission.waypoints.size())
                d = mission.waypoints[w.from];
            d.latitude = w.at.latitude;
            d.longitude = w.at.longitude;
            d.height = w.height;
            d.heightReference = DJIHeightReference::aboveTakeOff;
            flown.append(d);
        }
        mission.waypoints = std::move(flown);
    }
    return mission;
}

void FlightPlanModel::setMapPosition(const MapRegion &r)
{
    m_mapPosition = r;
    Q_EMIT mapPositionChanged();
}

void FlightPlanModel::setMissionAltitude(double v)
{
    m_altitude = v;
    Q_EMIT missionAltitudeChanged();
}

void FlightPlanModel::setMissionSpeed(double v)
{
    m_speed = v;
    Q_EMIT missionSpeedChanged();
}

void FlightPlanModel::setShowWaypointList(bool v)
{
    m_showWaypointList = v;
    Q_EMIT showWaypointListChanged();
}

void FlightPlanModel::setSelectedWaypoint(std::optional<qsizetype> p)
{
    if (p && *p < 0)
        p.reset();
    m_waypoints.setMarked(p);
    Q_EMIT selectedWaypointChanged();
}

int FlightPlanModel::selectedWaypointInt() const
{
    const auto s = selectedWaypoint();
    return s ? int(*s) : -1;
}

void FlightPlanModel::setSelectedWaypointInt(int p)
{
    setSelectedWaypoint(p >= 0 ? std::optional<qsizetype>(p) : std::nullopt);
}

void FlightPlanModel::setUploadingMission(bool v)
{
    m_uploading = v;
    Q_EMIT isUploadingMissionChanged();
    Q_EMIT uploadEnabledChanged();
}

void FlightPlanModel::setTerrainFollowEnabled(bool v)
{
    m_terrain = v;
    Q_EMIT terrainFollowEnabledChanged();
    Q_EMIT bannersChanged();
}

void FlightPlanModel::setMultiBatteryEnabled(bool v)
{
    m_multiBattery = v;
    Q_EMIT multiBatteryEnabledChanged();
    Q_EMIT bannersChanged();
}

void FlightPlanModel::setShowShotDesigner(bool v)
{
    m_showShotDesigner = v;
    Q_EMIT showShotDesignerChanged();
}

void FlightPlanModel::setShow3DPreview(bool v)
{
    m_show3D = v;
    Q_EMIT show3DPreviewChanged();
}

void FlightPlanModel::setUploadDurationMs(int ms)
{
    m_uploadMs = std::max(0, ms);
    Q_EMIT uploadDurationMsChanged();
}

QString FlightPlanModel::uploadButtonText() const
{
    return m_uploading ? QStringLiteral("Uploading Mission...") : QStringLiteral("Upload & Execute Mission");
}

QString FlightPlanModel::waypointCountText() const
{
    return zeltrin::format("%d", waypointCount());
}

QVariantList FlightPlanModel::banners() const
{
    QVariantList list;
    // A banner's note says why what it announces cannot be done for this plan (empty: it can);
    // its info, what it will do.
    if (m_terrain) {
        const QString note = m_terrainPlan.active() && !m_terrainPlan.followable() ? m_terrainPlan.note() : QString();
        list.append(QVariantMap{{"icon", "mountain.2.fill"}, {"text", "Terrain Following Active"}, {"note", note}});
    }
    if (m_multiBattery)
        list.append(QVariantMap{{"icon", "battery.100.bolt"},
                                {"text", "Multi-Battery Mission"},
                                {"note", m_batteries.refusal()},
                                {"info", batteryNote()}});
    return list;
}

void FlightPlanModel::addWaypoint()
{
    // Steps from the count, not from the tap: the tap position is deliberately unused.
    const double n = double(waypointCount());
    m_waypoints.append({43.0 + 0.003 * n, -84.0 + 0.003 * n});
}

void FlightPlanModel::selectWaypoint(int position)
{
    setSelectedWaypointInt(position);
}

void FlightPlanModel::deleteSelectedWaypoint()
{
    const auto p = selectedWaypoint();
    if (!p)
        return;
    if (*p < waypointCount())
        m_waypoints.removePositions({*p});
    setSelectedWaypoint(std::nullopt);
}

void FlightPlanModel::executeMission()
{
    // A second tap while the step runs starts nothing (the button is disabled, but be sure).
    if (waypointCount() == 0 || m_uploading || m_replaceMissionPending)
        return;
    // With terrain follow on, only a plan the ground lets it follow goes to the aircraft.
    m_terrainPlan.settle();
    m_batteries.settle();
    if (m_terrain && !m_terrainPlan.followable()) {
        setUploadMessage(m_terrainPlan.note());
        return;
    }
    if (const QString refusal = batteryRefusal(); !refusal.isEmpty()) {
        setUploadMessage(refusal);
        return;
    }
    if (missionRunning()) {
        m_replaceMissionPending = true;
        Q_EMIT replaceMissionPendingChanged();
        return;
    }
    startUpload();
}

void FlightPlanModel::confirmReplaceMission()
{
    if (!m_replaceMissionPending)
        return;
    m_replaceMissionPending = false;
    Q_EMIT replaceMissionPendingChanged();
    if (waypointCount() > 0 && !m_uploading)
        startUpload();
}

void FlightPlanModel::cancelReplaceMission()
{
    if (!m_replaceMissionPending)
        return;
    m_replaceMissionPending = false;
    Q_EMIT replaceMissionPendingChanged();
}

// The plan as it is at the tap is what the aircraft checks and, once accepted, flies.
void FlightPlanModel::startUpload()
{
    setUploadMessage({});
    m_upload = Upload{m_upload.id + 1, aircraftMission(), false, false, std::nullopt};
    setUploadingMission(true);
    m_uploadTimer.start(m_uploadMs);
    m_answerTimer.start(std::max(m_uploadMs, kAnswerTimeoutMs));
    const quint64 id = m_upload.id;
    if (m_drone)
        m_drone->uploadMission(m_upload.mission, this,
                               [this, id](const DJICommandError &refusal) { uploadAnswered(id, refusal); });
    else
        uploadAnswered(id, DJISDKManager::notConnectedReason());
}

void FlightPlanModel::uploadAnswered(quint64 id, const DJICommandError &refusal)
{
    if (id != m_upload.id || !m_uploading || m_upload.answered)
        return;
    m_answerTimer.stop();
    m_upload.answered = true;
    m_upload.refusal = refusal;
    finishUpload();
}

void FlightPlanModel::finishUpload()
{
    if (!m_upload.waited || !m_upload.answered)
        return;
    setUploadingMission(false);
    if (m_upload.refusal) {
        setUploadMessage(*m_upload.refusal);
        return;
    }
    Q_EMIT missionUploaded();
    if (flyInParts())
        return;
    if (m_drone)
        m_drone->executeMission(m_upload.mission, this, [this](const DJICommandError &refusal) {
            if (refusal)
                setUploadMessage(*refusal);
        });
}

void FlightPlanModel::cancelUpload()
{
    if (!m_uploading)
        return;
    m_uploadTimer.stop();
    m_answerTimer.stop();
    ++m_upload.id;
    setUploadingMission(false);
}

void FlightPlanModel::setUploadMessage(const QString &text)
{
    m_uploadMessage = text;
    if (text.isEmpty())
        m_uploadMessageTimer.stop();
    else
        m_uploadMessageTimer.start(zeltrin::MessageTime::shownMs(text, true));
    Q_EMIT uploadMessageChanged();
}

void FlightPlanModel::dismissUploadMessage()
{
    setUploadMessage({});
}

void FlightPlanModel::clearWaypoints()
{
    m_plannedHome.reset();
    m_waypoints.clear();
    setSelectedWaypoint(std::nullopt);
}

void FlightPlanModel::deleteWaypoints(const QList<int> &positions)
{
    const auto before = selectedWaypoint();
    m_waypoints.removePositions(std::vector<qsizetype>(positions.begin(), positions.end()));
    if (before != selectedWaypoint())
        Q_EMIT selectedWaypointChanged();
}

void FlightPlanModel::moveWaypoints(const QList<int> &sources, int destination)
{
    m_waypoints.movePositions(std::vector<qsizetype>(sources.begin(), sources.end()), destination);
}

int FlightPlanModel::markedWaypoint() const
{
    const auto s = selectedWaypoint();
    return s && *s < waypointCount() ? int(*s) : -1;
}

QString FlightPlanModel::sliderValueText(double value, const QString &unit)
{
    return zeltrin::format("%.0f %@", value, unit);
}

namespace {
QString localPath(const QString &file)
{
    return file.startsWith(u"file:") ? QUrl(file).toLocalFile() : file;
}

// The altitude slider's range, which a file's altitude is kept within.
constexpr double kMinAltitude = 5.0, kMaxAltitude = 120.0;

// “name” as the pilot sees it in messages.
QString quoted(const QString &path)
{
    return QStringLiteral("\u201C%1\u201D").arg(QFileInfo(path).fileName());
}
} // namespace

void FlightPlanModel::setFileMessage(const QString &text, bool isError)
{
    m_fileMessage = text;
    m_fileMessageIsError = isError;
    if (text.isEmpty())
        m_fileMessageTimer.stop();
    else
        m_fileMessageTimer.start(zeltrin::MessageTime::shownMs(text, isError));
    Q_EMIT fileMessageChanged();
}

void FlightPlanModel::dismissFileMessage() { setFileMessage({}, false); }

bool FlightPlanModel::openPlan(const QString &file)
{
    const QString path = localPath(file);
    const zeltrin::PlanReadResult r = planio::readPlanFile(path);
    if (!r.ok()) {
        setFileMessage(QStringLiteral("%1 could not be opened: %2.").arg(quoted(path), r.error), true);
        return false;
    }
    m_pending = PendingOpen{*r.plan, QFileInfo(path).fileName(), r.skippedItems};
    if (waypointCount() > 0) {
        setFileMessage({}, false);
        Q_EMIT replacePendingChanged();
        return true;
    }
    confirmReplace();
    return true;
}

QString FlightPlanModel::replaceMessage() const
{
    if (!m_pending)
        return {};
    return QStringLiteral("The %1 waypoints of this plan will be replaced by the %2 of \u201C%3\u201D.")
        .arg(waypointCount()).arg(m_pending->plan.waypoints.size()).arg(m_pending->fileName);
}

void FlightPlanModel::confirmReplace()
{
    if (!m_pending)
        return;
    const PendingOpen open = std::move(*m_pending);
    m_pending.reset();
    Q_EMIT replacePendingChanged();
    const QString heights =
        planio::openedHeights(open.plan, m_altitude, kMinAltitude, kMaxAltitude, takeOffGround(open.plan)).note;
    applyMissionPlan(open.plan);
    QStringList notes{planio::skippedItemsText(open.skipped), heights};
    notes.removeAll(QString());
    setFileMessage(notes.join(QStringLiteral(". ")), false);
    double south = 90, north = -90, west = 180, east = -180;
    for (const zeltrin::Coordinate &c : open.plan.waypoints) {
        south = std::min(south, c.latitude);
        north = std::max(north, c.latitude);
        west = std::min(west, c.longitude);
        east = std::max(east, c.longitude);
    }
    Q_EMIT planOpened(south, west, north, east);
}

void FlightPlanModel::cancelReplace()
{
    if (!m_pending)
        return;
    m_pending.reset();
    Q_EMIT replacePendingChanged();
}

void FlightPlanModel::applyMissionPlan(const zeltrin::MissionPlan &plan)
{
    // A file's values are kept within the panel's slider ranges; heights the planner cannot fly
    // as they stand are not used.
    const std::optional<double> ground = takeOffGround(plan);
    const planio::OpenedHeights heights = planio::openedHeights(plan, m_altitude, kMinAltitude, kMaxAltitude, ground);
    // Heights a file gave above sea level go back to it above sea level, over the same ground.
    m_seaLevelGround = plan.altitudeReference == zeltrin::HeightReference::SeaLevel && heights.altitude ? ground
                                                                                                        : std::nullopt;
    const bool surveyed = m_survey.has_value() || plan.survey.has_value();
    // Set before the heights and the list, so what follows them already sees the new survey.
    m_survey = plan.survey;
    if (heights.altitude)
        setMissionAltitude(*heights.altitude);
    if (plan.speed && std::isfinite(*plan.speed))
        setMissionSpeed(std::clamp(*plan.speed, 1.0, 15.0));
    if (heights.terrainFollow)
        setTerrainFollowEnabled(*heights.terrainFollow);
    m_plannedHome = plan.plannedHome;
    m_waypoints.setMarked(std::nullopt);
    m_applyingPlan = true;
    m_waypoints.setCoordinates(plan.waypoints);
    m_applyingPlan = false;
    Q_EMIT selectedWaypointChanged();
    if (surveyed)
        Q_EMIT surveyChanged();
}

void FlightPlanModel::clearSurvey()
{
    if (m_survey)
        clearWaypoints();
}

zeltrin::MissionPlan FlightPlanModel::toMissionPlan() const
{
    zeltrin::MissionPlan p;
    p.waypoints = m_waypoints.coordinates();
    p.plannedHome = m_plannedHome;
    p.altitude = m_altitude;
    p.altitudeReference = m_terrain ? zeltrin::HeightReference::Ground : zeltrin::HeightReference::TakeOff;
    if (m_seaLevelGround && !m_terrain) {
        p.altitude = m_altitude + *m_seaLevelGround;
        p.altitudeReference = zeltrin::HeightReference::SeaLevel;
    }
    p.speed = m_speed;
    p.terrainFollow = m_terrain;
    p.survey = m_survey;
    return p;
}

bool FlightPlanModel::savePlan(const QString &file)
{
    QString path = localPath(file);
    auto format = planio::formatForPath(path);
    if (!format) {
        format = planio::Format::QgcPlan;
        path += QStringLiteral(".plan");
    }
    QString error = waypointCount() == 0 ? QStringLiteral("the plan has no waypoints")
                                         : planio::savePlanFile(toMissionPlan(), path, *format);
    if (!error.isEmpty()) {
        setFileMessage(QStringLiteral("%1 could not be saved: %2.").arg(quoted(path), error), true);
        return false;
    }
    setFileMessage(QStringLiteral("Saved %1.").arg(quoted(path)), false);
    return true;
}
