#include "FlightPlanModel.h"

#include "NumberFormat.h"

#include <QVariantMap>

FlightPlanModel::FlightPlanModel(QObject *parent)
    : QObject(parent), m_waypoints(this), m_shot(this), m_uploadTimer(this)
{
    m_uploadTimer.setSingleShot(true);
    m_uploadTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_uploadTimer, &QTimer::timeout, this, [this] {
        setUploadingMission(false);
        Q_EMIT missionUploaded();
    });
    connect(&m_waypoints, &CoordinateListModel::countChanged, this, [this] {
        Q_EMIT waypointsChanged();
        Q_EMIT uploadEnabledChanged();
    });
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
    if (m_terrain)
        list.append(QVariantMap{{"icon", "mountain.2.fill"}, {"text", "Terrain Following Active"}});
    if (m_multiBattery)
        list.append(QVariantMap{{"icon", "battery.100.bolt"}, {"text", "Multi-Battery Mission"}});
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
    if (waypointCount() == 0 || m_uploading)
        return;
    setUploadingMission(true);
    m_uploadTimer.start(m_uploadMs);
}

void FlightPlanModel::cancelUpload()
{
    if (!m_uploadTimer.isActive())
        return;
    m_uploadTimer.stop();
    setUploadingMission(false);
}

void FlightPlanModel::clearWaypoints()
{
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
