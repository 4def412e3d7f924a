#include "TileMapItem.h"

#include "WebMercator.h"

#include <QQuickWindow>

#include <cmath>

// The aircraft, its home point and its flown track: what the overlay draws over the waypoints.

void TileMapItem::setTrack(TrackLine *t)
{
    if (m_track == t)
        return;
    if (m_track)
        m_track->disconnect(this);
    m_track = t;
    m_trackFirstChanged = 0;
    if (m_track) {
        connect(m_track, &TrackLine::changed, this, [this](qsizetype first) {
            m_trackFirstChanged = std::min(m_trackFirstChanged, first);
            // A new last point is where the aircraft is, under its marker: the frame the marker's
            // move asks for draws it. Anything else changes what shows.
            if (!m_vehicles.showsAircraft || first < m_track->count() - 1)
                update();
        });
        connect(m_track, &QObject::destroyed, this, [this] {
            m_trackFirstChanged = 0;
            update();
        });
    }
    Q_EMIT trackChanged();
    update();
}

// Rebuilds the runs of the track that changed, or all of them when the frame did.
void TileMapItem::syncTrack()
{
    OverlayState &o = *m_overlay;
    o.rebuiltTrack.clear();
    const qsizetype points = m_track ? m_track->count() : 0;
    const qsizetype legs = std::max<qsizetype>(0, points - 1);
    const auto runs = size_t((legs + overlay::kTrackRun - 1) / overlay::kTrackRun);
    const qsizetype first = o.frameChanged ? 0 : std::min(m_trackFirstChanged, points);
    m_trackFirstChanged = std::numeric_limits<qsizetype>::max();
    const bool resized = runs != o.track.size();
    o.track.resize(runs);
    if (first >= points && !resized)
        return;
    // The run holding the leg that ends at `first` changes too.
    const auto from = size_t(std::max<qsizetype>(0, first - 1) / overlay::kTrackRun);
    for (size_t r = from; r < runs; ++r) {
        auto run = std::make_shared<std::vector<QPointF>>();
        const qsizetype a = qsizetype(r) * overlay::kTrackRun;
        const qsizetype b = std::min(points - 1, a + overlay::kTrackRun);
        run->reserve(size_t(b - a + 1));
        for (qsizetype i = a; i <= b; ++i) {
            const zeltrin::Coordinate c = m_track->at(i);
            run->push_back(o.frame.project(zeltrin::mercator::toWorld(c.latitude, c.longitude)));
        }
        o.track[r] = std::move(run);
        o.rebuiltTrack.push_back(qsizetype(r));
    }
}

// On whole device pixels and whole degrees, so a move too small to show asks for no frame: at
// 10 readings a second over a whole mission, most readings move the aircraft less than a pixel.
VehicleDraw TileMapItem::vehicleDraw() const
{
    const OverlayFrame &f = m_overlay->frame;
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    auto place = [&f, dpr](const zeltrin::Coordinate &c) -> std::optional<QPointF> {
        if (!std::isfinite(c.latitude) || !std::isfinite(c.longitude) || std::abs(c.latitude) > 90 || std::abs(c.longitude) > 180)
            return std::nullopt;
        const QPointF p = f.project(zeltrin::mercator::toWorld(c.latitude, c.longitude));
        return QPointF(std::round(p.x() * dpr) / dpr, std::round(p.y() * dpr) / dpr);
    };
    VehicleDraw d;
    if (m_vehicles.showsHome)
        d.home = place(m_vehicles.home);
    if (m_vehicles.showsAircraft) {
        d.aircraft = place(m_vehicles.aircraft);
        const double heading = std::isfinite(m_vehicles.heading) ? m_vehicles.heading : 0.0;
        d.aircraftRotation = std::fmod(std::round(heading - m_cam.bearing), 360.0);
    }
    return d;
}

void TileMapItem::vehiclesMoved()
{
    Q_EMIT vehiclesChanged();
    VehicleDraw d = vehicleDraw();
    if (d == m_askedVehicles)
        return;
    m_askedVehicles = d;
    update();
}
