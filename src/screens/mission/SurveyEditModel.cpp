#include "SurveyEditModel.h"

#include "Palette.h"
#include "SurveyDrape.h"
#include "SurveyMission.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>

using namespace zeltrin::survey;
using zeltrin::Coordinate;

namespace {

const QString kUnknown = QStringLiteral("—");

} // namespace

SurveyEditModel::GsdBand SurveyEditModel::bandOf(double gsd, double target)
{
    if (std::isnan(gsd))
        return Unknown;
    const double r = gsd / target - 1.0;
    if (!std::isfinite(r) || r > 0.15)
        return FarCoarser;
    // A hair's slack, so a GSD exactly 5 % off reads as on target whatever the rounding.
    if (std::abs(r) <= kGsdTolerance + 1e-9)
        return OnTarget;
    return r < 0 ? Finer : Coarser;
}

SurveyEditModel::SurveyEditModel(QObject *parent) : SurveyEditModel(std::make_unique<CameraProfileStore>(), parent) {}

SurveyEditModel::SurveyEditModel(std::unique_ptr<CameraProfileStore> store, QObject *parent)
    : QObject(parent), m_store(std::move(store)), m_footprints(this)
{
    m_spec.camera = builtInCameraProfiles().constFirst();
    loadCameras(std::nullopt);
}

SurveyEditModel::~SurveyEditModel() = default;

void SurveyEditModel::setPlan(FlightPlanModel *plan)
{
    if (m_plan == plan)
        return;
    if (m_plan)
        m_plan->disconnect(this);
    m_plan = plan;
    // Flight time and batteries follow the mission's speed.
    if (plan) {
        connect(plan, &FlightPlanModel::missionSpeedChanged, this, [this] {
            if (m_active && planned() && !m_replanning)
                replan();
        });
        connect(plan, &FlightPlanModel::surveyChanged, this, &SurveyEditModel::followPlan);
        connect(plan, &FlightPlanModel::missionAltitudeChanged, this, &SurveyEditModel::followPlan);
        // The footprints lie on the ground under them: new ground, a new take-off point or terrain
        // following turned on or off moves them.
        for (auto changed : {&FlightPlanModel::groundChanged, &FlightPlanModel::terrainFollowEnabledChanged})
            connect(plan, changed, this, [this] {
                if (!m_replanning && !m_flight.waypoints.empty())
                    replan();
            });
    }
    Q_EMIT planChanged();
}

void SurveyEditModel::loadCameras(const std::optional<CameraProfile> &extra)
{
    m_cameras = m_store->allProfiles();
    if (extra && !m_cameras.contains(*extra))
        m_cameras.append(*extra); // a file's camera, kept for this survey only
    m_cameraIndex = std::max<int>(0, int(m_cameras.indexOf(m_spec.camera)));
    m_spec.camera = m_cameras.value(m_cameraIndex, builtInCameraProfiles().constFirst());
    Q_EMIT camerasChanged();
}

QStringList SurveyEditModel::cameraNames() const
{
    QStringList names;
    for (const CameraProfile &c : m_cameras)
        names.append(c.name);
    return names;
}

void SurveyEditModel::setSelectedCorner(int corner)
{
    if (corner < 0 || corner >= cornerCount())
        corner = -1;
    if (corner == m_selected)
        return;
    m_selected = corner;
    Q_EMIT selectedCornerChanged();
}

void SurveyEditModel::setSpec(const SurveySettings &spec)
{
    if (spec == m_spec)
        return;
    const bool area = spec.polygon != m_spec.polygon;
    m_spec = spec;
    if (area) {
        ++m_areaRevision;
        Q_EMIT areaChanged();
    } else
        Q_EMIT specChanged();
    replan();
}

void SurveyEditModel::setCameraIndex(int index)
{
    if (index < 0 || index >= m_cameras.size() || index == m_cameraIndex)
        return;
    m_cameraIndex = index;
    SurveySettings s = m_spec;
    s.camera = m_cameras[index];
    // The given figure holds; the other follows from the new camera, within the heights flown.
    if (s.given == SurveySettings::Given::GroundSampleDistance)
        s.groundSampleDistance = std::clamp(s.groundSampleDistance, gsdAcrossAt(s.camera, kMinHeight),
                                            gsdAcrossAt(s.camera, kMaxHeight));
    setSpec(s);
    Q_EMIT specChanged();
}

double SurveyEditModel::height() const
{
    return gsdGiven() ? heightForGsd(m_spec.camera, m_spec.groundSampleDistance) : m_spec.height;
}

double SurveyEditModel::groundSampleDistance() const
{
    return gsdGiven() ? m_spec.groundSampleDistance : gsdAcrossAt(m_spec.camera, m_spec.height);
}

double SurveyEditModel::minGroundSampleDistance() const
{
    return gsdAcrossAt(m_spec.camera, kMinHeight);
}

double SurveyEditModel::maxGroundSampleDistance() const
{
    return gsdAcrossAt(m_spec.camera, kMaxHeight);
}

void SurveyEditModel::setHeight(double metres)
{
    if (!std::isfinite(metres))
        return;
    SurveySettings s = m_spec;
    s.given = SurveySettings::Given::Height;
    s.height = std::clamp(metres, kMinHeight, kMaxHeight);
    setSpec(s);
}

void SurveyEditModel::setGroundSampleDistance(double cmPerPx)
{
    if (!std::isfinite(cmPerPx))
        return;
    SurveySettings s = m_spec;
    s.given = SurveySettings::Given::GroundSampleDistance;
    s.groundSampleDistance = std::clamp(cmPerPx, minGroundSampleDistance(), maxGroundSampleDistance());
    setSpec(s);
}

void SurveyEditModel::setFrontOverlap(double percent)
{
    SurveySettings s = m_spec;
    if (std::isfinite(percent))
        s.frontOverlap = std::clamp(percent, kMinOverlap, kMaxOverlap);
    setSpec(s);
}

void SurveyEditModel::setSideOverlap(double percent)
{
    SurveySettings s = m_spec;
    if (std::isfinite(percent))
        s.sideOverlap = std::clamp(percent, kMinOverlap, kMaxOverlap);
    setSpec(s);
}

void SurveyEditModel::setGridAngle(double degrees)
{
    SurveySettings s = m_spec;
    if (std::isfinite(degrees))
        s.gridAngle = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    setSpec(s);
}

void SurveyEditModel::setCrosshatch(bool on)
{
    SurveySettings s = m_spec;
    s.crosshatch = on;
    setSpec(s);
}

void SurveyEditModel::setTurnaround(double metres)
{
    SurveySettings s = m_spec;
    if (std::isfinite(metres))
        s.turnaround = std::clamp(metres, 0.0, kMaxTurnaround);
    setSpec(s);
}

void SurveyEditModel::begin()
{
    SurveySettings s = m_spec;
    s.polygon.clear();
    std::optional<CameraProfile> fileCamera;
    if (m_plan && m_plan->survey()) {
        s = m_plan->survey()->spec;
        fileCamera = s.camera;
    }
    m_spec = s;
    loadCameras(fileCamera);
    m_selected = -1;
    m_active = true;
    m_tapAdded.reset();
    ++m_areaRevision;
    Q_EMIT areaChanged();
    Q_EMIT specChanged();
    Q_EMIT selectedCornerChanged();
    Q_EMIT activeChanged();
    replan();
}

void SurveyEditModel::finish()
{
    setSelectedCorner(-1);
    if (!m_active)
        return;
    m_active = false;
    Q_EMIT activeChanged();
}

void SurveyEditModel::addCorner(double latitude, double longitude)
{
    const Coordinate c{latitude, longitude};
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 85.0
        || std::abs(longitude) > 180.0 || cornerCount() >= kMaxCorners)
        return;
    SurveySettings s = m_spec;
    const qsizetype at = m_selected >= 0 ? m_selected + 1 : s.polygon.size();
    s.polygon.insert(at, c);
    m_selected = int(at);
    setSpec(s);
    Q_EMIT selectedCornerChanged();
}

void SurveyEditModel::moveCorner(int corner, double latitude, double longitude)
{
    if (corner < 0 || corner >= cornerCount() || !std::isfinite(latitude) || !std::isfinite(longitude)
        || std::abs(latitude) > 85.0 || std::abs(longitude) > 180.0)
        return;
    SurveySettings s = m_spec;
    s.polygon[corner] = Coordinate{latitude, longitude};
    setSpec(s);
}

void SurveyEditModel::removeCorner(int corner)
{
    if (corner < 0 || corner >= cornerCount())
        return;
    SurveySettings s = m_spec;
    s.polygon.removeAt(corner);
    m_selected = -1;
    setSpec(s);
    Q_EMIT selectedCornerChanged();
}

void SurveyEditModel::mapTapped(double latitude, double longitude)
{
    const int before = cornerCount();
    addCorner(latitude, longitude);
    m_tapAdded.reset();
    if (cornerCount() == before + 1)
        m_tapAdded = TapAdded{m_selected, m_spec.polygon[m_selected], cornerCount()};
}

void SurveyEditModel::mapDoubleTapped()
{
    const std::optional<TapAdded> added = std::exchange(m_tapAdded, std::nullopt);
    if (added && cornerCount() == added->corners && m_spec.polygon[added->corner] == added->at)
        removeCorner(int(added->corner));
}

double SurveyEditModel::cornerLatitude(int corner) const
{
    return corner >= 0 && corner < cornerCount() ? m_spec.polygon[corner].latitude : qQNaN();
}

double SurveyEditModel::cornerLongitude(int corner) const
{
    return corner >= 0 && corner < cornerCount() ? m_spec.polygon[corner].longitude : qQNaN();
}

QString SurveyEditModel::saveCustomCamera(const QString &name, double sensorWidth, double sensorHeight,
                                          double focalLength, int imageWidth, int imageHeight)
{
    const CameraProfile camera{name.trimmed(), sensorWidth, sensorHeight, focalLength, imageWidth, imageHeight};
    if (QString error = m_store->save(camera); !error.isEmpty())
        return error;
    loadCameras(std::nullopt);
    setCameraIndex(int(m_cameras.indexOf(camera)));
    return {};
}

void SurveyEditModel::followPlan()
{
    if (m_replanning || m_active || !m_plan)
        return;
    const auto &held = m_plan->survey();
    if (!held) {
        if (m_flight.waypoints.empty())
            return;
        m_flight = {};
        fillFootprints();
        Q_EMIT flightChanged();
        return;
    }
    SurveySettings s = held->spec;
    const double altitude = m_plan->missionAltitude();
    const double flown = s.given == SurveySettings::Given::GroundSampleDistance
        ? heightForGsd(s.camera, s.groundSampleDistance)
        : s.height;
    const bool heightMoved = std::isfinite(altitude) && std::abs(altitude - flown) > 0.01;
    if (heightMoved) {
        s.given = SurveySettings::Given::Height;
        s.height = std::clamp(altitude, kMinHeight, kMaxHeight);
    }
    if (!heightMoved && s == m_spec && m_flight.ok())
        return;
    m_spec = s;
    Q_EMIT specChanged();
    replan(heightMoved);
}

void SurveyEditModel::replan(bool intoPlan)
{
    SurveyFlightSettings settings;
    if (m_plan)
        settings.speed = m_plan->missionSpeed();
    m_flight = planSurvey(m_spec, settings);
    drape();
    if (m_plan && (m_active || intoPlan)) {
        const QScopedValueRollback<bool> guard(m_replanning, true);
        if (planned())
            m_plan->applyMissionPlan(zeltrin::surveyMissionPlan(m_spec, m_flight, settings.speed));
        else
            m_plan->clearSurvey();
    }
    fillFootprints();
    Q_EMIT flightChanged();
}

void SurveyEditModel::drape()
{
    const ElevationSource *ground = m_plan ? m_plan->ground() : nullptr;
    if (!ground || !m_flight.ok() || m_flight.waypoints.empty())
        return;
    const double height = m_flight.figures.image.height;
    CameraAltitude camera;
    if (m_plan->terrainFollowEnabled()) {
        // Following the ground, the camera keeps the survey's height over it.
        camera = [ground, height](const SurveyPhoto &p) -> std::optional<double> {
            const std::optional<double> g = ground->heightAt(p.centre.latitude, p.centre.longitude);
            return g ? std::optional(*g + height) : std::nullopt;
        };
    } else {
        // Otherwise at the survey's height over the take-off point (the first waypoint until the
        // aircraft has a home point).
        const Coordinate from = m_plan->takeOffPoint().value_or(m_flight.waypoints.constFirst().position);
        const std::optional<double> base = ground->heightAt(from.latitude, from.longitude);
        camera = [base, height](const SurveyPhoto &) -> std::optional<double> {
            return base ? std::optional(*base + height) : std::nullopt;
        };
    }
    drapePhotos(m_flight.photos, height, *ground, camera);
}

void SurveyEditModel::fillFootprints()
{
    const zeltrin::Palette &p = zeltrin::palette();
    QList<QColor> colours{p.themeGreen, p.themeBlue, p.themeGold, p.themeRed, p.themeGrey};
    for (QColor &c : colours)
        c.setAlphaF(0.6f);
    std::vector<FootprintSet::Quad> quads;
    const std::optional<ImageGeometry> target = imageGeometry(m_spec);
    if (planned() && target) {
        quads.reserve(size_t(m_flight.photos.size()));
        for (const SurveyPhoto &photo : m_flight.photos) {
            const GsdBand across = bandOf(photo.gsdAcross, target->gsdAcross);
            const GsdBand along = bandOf(photo.gsdAlong, target->gsdAlong);
            // The worse of the two axes: far coarser, then coarser, then finer.
            quads.push_back({photo.footprint, std::max(across, along)});
        }
    }
    m_footprints.set(m_active || planned() ? m_spec.polygon : QList<Coordinate>(), std::move(quads), colours);
}

std::optional<double> SurveyEditModel::onTargetShare() const
{
    const std::optional<ImageGeometry> target = imageGeometry(m_spec);
    if (!planned() || !target || m_flight.photos.isEmpty())
        return std::nullopt;
    const auto on = std::count_if(m_flight.photos.begin(), m_flight.photos.end(), [&](const SurveyPhoto &photo) {
        return bandOf(photo.gsdAcross, target->gsdAcross) == OnTarget
            && bandOf(photo.gsdAlong, target->gsdAlong) == OnTarget;
    });
    return double(on) / double(m_flight.photos.size());
}

QString SurveyEditModel::problem() const
{
    if (cornerCount() == 0)
        return QStringLiteral("Tap the map, or press and hold, to place the area's corners.");
    return m_flight.error;
}

QString SurveyEditModel::numberText(double value, int decimals, const QString &unit)
{
    return QString::asprintf("%.*f", std::clamp(decimals, 0, 6), value) + QLatin1Char(' ') + unit;
}

QString SurveyEditModel::triggerDistanceText() const
{
    return planned() ? numberText(m_flight.figures.image.triggerDistance, 1, QStringLiteral("m")) : kUnknown;
}

QString SurveyEditModel::lineSpacingText() const
{
    return planned() ? numberText(m_flight.figures.image.lineSpacing, 1, QStringLiteral("m")) : kUnknown;
}

QString SurveyEditModel::distanceText() const
{
    if (!planned())
        return kUnknown;
    const double d = m_flight.figures.distance;
    return d < 1000 ? numberText(d, 0, QStringLiteral("m")) : numberText(d / 1000, 2, QStringLiteral("km"));
}

QString SurveyEditModel::flightTimeText() const
{
    const double t = m_flight.figures.flightTime;
    if (!planned() || !std::isfinite(t) || t < 0 || t > 1e7)
        return kUnknown;
    const auto s = qint64(std::llround(t));
    if (s >= 3600)
        return QString::asprintf("%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return QString::asprintf("%lld:%02lld", s / 60, s % 60);
}

QString SurveyEditModel::batteriesText() const
{
    const std::optional<int> n = m_flight.figures.batteryCount;
    return planned() && n ? QString::number(*n) : kUnknown;
}

QString SurveyEditModel::gsdShareText() const
{
    const std::optional<double> share = onTargetShare();
    return share ? QString::asprintf("%.0f %%", *share * 100.0) : kUnknown;
}

QString SurveyEditModel::areaText() const
{
    return planned() ? numberText(m_flight.figures.area / 10000.0, 1, QStringLiteral("ha")) : kUnknown;
}
