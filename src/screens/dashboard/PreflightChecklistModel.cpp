#include "PreflightChecklistModel.h"

#include "FlightRecord.h"
#include "NumberFormat.h"

#include <QVariantMap>

#include <algorithm>
#include <cmath>

using State = DJIDroneManager::ConnectionState;

PreflightChecklistModel::PreflightChecklistModel(QObject *parent) : QObject(parent)
{
    refresh();
}

namespace {

PreflightChecklistModel::Item item(const char *key, const QString &title, const QString &detail, bool passed)
{
    return {QString::fromLatin1(key), title, detail, passed, false};
}

// Whole metres, unless rounding would make the two look equal (as the aircraft words it).
QString aboveCeiling(double height, double ceiling)
{
    const bool close = zeltrin::format("%.0f", height) == zeltrin::format("%.0f", ceiling);
    return zeltrin::format(close ? "Mission altitude %.1f m is above the %.1f m ceiling"
                                 : "Mission altitude %.0f m is above the %.0f m ceiling",
                           height, ceiling);
}

PreflightChecklistModel::Item missionItem(const PreflightChecklistModel::Inputs &in)
{
    const QString title = QStringLiteral("Mission within limits");
    if (!in.mission || in.mission->waypoints.isEmpty())
        return item("mission", title, QStringLiteral("No mission planned"), true);
    const QList<DJIWaypoint> &points = in.mission->waypoints;
    double highest = -INFINITY;
    for (const DJIWaypoint &w : points)
        highest = std::max(highest, std::isfinite(w.height) ? w.height : INFINITY);
    if (!std::isfinite(highest))
        return item("mission", title, QStringLiteral("A waypoint has no height"), false);
    if (in.ceiling && highest > *in.ceiling + 1e-9)
        return item("mission", title, aboveCeiling(highest, *in.ceiling), false);
    QString detail = in.ceiling ? zeltrin::format("Up to %.0f m high, ceiling %.0f m", highest, *in.ceiling)
                                : zeltrin::format("Up to %.0f m high", highest);
    if (in.geofence) {
        // The aircraft takes off where it stands: that is the fence's centre.
        if (!in.position)
            return item("mission", title, QStringLiteral("Aircraft position unknown: the geofence cannot be checked"),
                        false);
        double farthest = 0;
        for (qsizetype i = 0; i < points.size(); ++i) {
            const double d = zeltrin::haversineMetres(in.position->latitude, in.position->longitude, points[i].latitude,
                                                      points[i].longitude);
            if (!(d <= *in.geofence))
                return item(
                    "mission", title,
                    zeltrin::format("Waypoint %d is %.0f m out, beyond the %.0f m geofence", i + 1, d, *in.geofence),
                    false);
            farthest = std::max(farthest, d);
        }
        detail += zeltrin::format("; %.0f m out, geofence %.0f m", farthest, *in.geofence);
    }
    return item("mission", title, detail, true);
}

} // namespace

QList<PreflightChecklistModel::Item> PreflightChecklistModel::automaticItems(const Inputs &in)
{
    QList<Item> out;
    const bool live = in.connected && in.live;
    {
        const QString title = QStringLiteral("Battery above return level");
        if (!live)
            out << item("battery", title, QStringLiteral("No battery reading"), false);
        else
            out << item("battery", title,
                        zeltrin::format("%d%% \u2014 returns home at %.0f%%", in.battery, in.returnTrigger),
                        double(in.battery) > in.returnTrigger);
    }
    {
        const QString title = QStringLiteral("GPS signal");
        if (!live)
            out << item("gps", title, QStringLiteral("No GPS reading"), false);
        else if (in.gpsLevel >= kMinGpsLevel)
            out << item("gps", title, zeltrin::format("%d/4", in.gpsLevel), true);
        else
            out << item("gps", title, zeltrin::format("%d/4 \u2014 needs %d/4", in.gpsLevel, kMinGpsLevel), false);
    }
    {
        const QString title = QStringLiteral("Home point recorded");
        if (live && in.home)
            out << item("home", title, zeltrin::format("%.5f\u00B0, %.5f\u00B0", in.home->latitude, in.home->longitude),
                        true);
        else
            out << item("home", title, QStringLiteral("Not recorded yet"), false);
    }
    {
        const QString title = QStringLiteral("Link signal");
        if (!in.connected)
            out << item("link", title, QStringLiteral("No aircraft connected"), false);
        else if (!in.live)
            out << item("link", title, QStringLiteral("No reading from the aircraft yet"), false);
        else if (in.signal >= kMinSignal)
            out << item("link", title, zeltrin::format("%d%%", in.signal), true);
        else
            out << item("link", title, zeltrin::format("%d%% \u2014 needs %d%%", in.signal, kMinSignal), false);
    }
    out << missionItem(in);
    return out;
}

void PreflightChecklistModel::setDrone(DJIDroneManager *drone)
{
    if (m_drone)
        disconnect(m_drone, nullptr, this, nullptr);
    m_drone = drone;
    if (drone) {
        for (auto sig : {&DJIDroneManager::connectionStateChanged, &DJIDroneManager::valuesAreLiveChanged,
                         &DJIDroneManager::batteryChanged, &DJIDroneManager::gpsSignalChanged,
                         &DJIDroneManager::homeChanged, &DJIDroneManager::signalStrengthChanged,
                         &DJIDroneManager::altitudeCeilingChanged, &DJIDroneManager::flightDataChanged})
            connect(drone, sig, this, &PreflightChecklistModel::refresh);
    }
    refresh();
}

void PreflightChecklistModel::setReturnTrigger(double percent)
{
    if (std::isfinite(percent))
        m_returnTrigger = percent;
    refresh();
}

void PreflightChecklistModel::setGeofence(std::optional<double> radius)
{
    m_geofence = radius && std::isfinite(*radius) && *radius > 0 ? radius : std::nullopt;
    refresh();
}

void PreflightChecklistModel::setMission(const std::optional<DJIWaypointMission> &mission)
{
    m_mission = mission;
    refresh();
}

PreflightChecklistModel::Inputs PreflightChecklistModel::inputs() const
{
    Inputs in;
    in.returnTrigger = m_returnTrigger;
    in.geofence = m_geofence;
    in.mission = m_mission;
    if (!m_drone)
        return in;
    in.connected = m_drone->connectionState() == State::connected;
    in.live = m_drone->valuesAreLive();
    in.battery = m_drone->battery().percentage;
    in.gpsLevel = DJIDroneManager::rawValue(m_drone->gpsSignal());
    if (m_drone->hasHome())
        in.home = zeltrin::Coordinate{m_drone->homeLatitude(), m_drone->homeLongitude()};
    if (in.live)
        in.position = zeltrin::Coordinate{m_drone->flightData().latitude, m_drone->flightData().longitude};
    in.signal = m_drone->signalStrength();
    in.ceiling = m_drone->altitudeCeiling();
    return in;
}

void PreflightChecklistModel::refresh()
{
    QList<Item> out = automaticItems(inputs());
    out << Item{QStringLiteral("propellers"), QStringLiteral("Propellers checked"),
                QStringLiteral("Fitted, locked and undamaged"), m_propellers, true};
    out << Item{QStringLiteral("area"), QStringLiteral("Area clear"),
                QStringLiteral("No people or obstacles near the take-off point"), m_areaClear, true};
    if (out == m_items)
        return;
    m_items = out;
    Q_EMIT changed();
}

QVariantList PreflightChecklistModel::itemList() const
{
    QVariantList out;
    for (const Item &i : items())
        out << QVariantMap{{QStringLiteral("key"), i.key},
                           {QStringLiteral("title"), i.title},
                           {QStringLiteral("detail"), i.detail},
                           {QStringLiteral("passed"), i.passed},
                           {QStringLiteral("manual"), i.manual}};
    return out;
}

bool PreflightChecklistModel::allPassed() const
{
    const QList<Item> all = items();
    return std::all_of(all.begin(), all.end(), [](const Item &i) { return i.passed; });
}

QString PreflightChecklistModel::openText() const
{
    const QList<Item> all = items();
    const auto open = std::count_if(all.begin(), all.end(), [](const Item &i) { return !i.passed; });
    if (open == 0)
        return {};
    return open == 1 ? QStringLiteral("1 item still open") : zeltrin::format("%d items still open", qint64(open));
}

void PreflightChecklistModel::setTicked(const QString &key, bool ticked)
{
    if (key == QLatin1String("propellers"))
        m_propellers = ticked;
    else if (key == QLatin1String("area"))
        m_areaClear = ticked;
    else
        return;
    refresh();
}

void PreflightChecklistModel::reset()
{
    m_propellers = false;
    m_areaClear = false;
    refresh();
}
