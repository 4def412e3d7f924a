#include "FlightRecorder.h"

#include "DJIDroneManager.h"
#include "FlightStore.h"
#include "Gazetteer.h"

#include <QDateTime>

#include <cmath>

using namespace zeltrin;

namespace {

int percentOrUnknown(qint64 v) { return v >= 0 && v <= 100 ? int(v) : -1; }

} // namespace

FlightRecorder::FlightRecorder(DJIDroneManager *drone, FlightStore *store, Clock clock, QObject *parent)
    : QObject(parent), m_drone(drone), m_store(store),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentMSecsSinceEpoch(); })),
      m_namer([](double lat, double lon) { return Gazetteer::bundled().placeName(lat, lon); })
{
    // The manager announces each field with every reading, so one reading calls update() a few
    // times; the sampling interval keeps that to one sample a second.
    connect(drone, &DJIDroneManager::flightDataChanged, this, &FlightRecorder::update);
    connect(drone, &DJIDroneManager::isFlyingChanged, this, &FlightRecorder::update);
    connect(drone, &DJIDroneManager::valuesAreLiveChanged, this, &FlightRecorder::update);
    connect(drone, &DJIDroneManager::photoCaptured, this, &FlightRecorder::photoTaken);
}

FlightRecorder::~FlightRecorder() = default;

void FlightRecorder::finish()
{
    if (m_recording)
        end(FlightEnd::landed);
}

TrackPoint FlightRecorder::reading(qint64 now) const
{
    const FlightData f = m_drone->flightData();
    TrackPoint p;
    p.timeMs = now;
    p.latitude = f.latitude;
    p.longitude = f.longitude;
    p.altitude = std::isfinite(f.altitude) ? f.altitude : 0.0;
    p.speed = std::isfinite(f.groundSpeed) ? f.groundSpeed : 0.0;
    p.battery = percentOrUnknown(m_drone->battery().percentage);
    p.signal = percentOrUnknown(m_drone->signalStrength());
    return p;
}

void FlightRecorder::update()
{
    if (!m_drone || !m_store)
        return;
    const bool live = m_drone->valuesAreLive();
    const bool flying = m_drone->isFlying();
    if (!m_recording) {
        if (live && flying)
            begin();
        return;
    }
    if (!live) {
        end(FlightEnd::linkLost);
        return;
    }
    const qint64 now = m_clock();
    if (!flying) {
        sample(now); // the landing point
        end(FlightEnd::landed);
        return;
    }
    if (now - m_lastSampleMs >= kSampleMs)
        sample(now);
    if (now - m_lastFlushMs >= kBatchMs)
        flush();
}

// Kept with the next batch; a photo outside a recorded flight is not the logbook's.
void FlightRecorder::photoTaken(const DJIPhotoCapture &photo)
{
    if (!m_recording)
        return;
    PhotoRecord p;
    p.number = int(m_photos.size()) + 1;
    p.timeMs = m_clock();
    p.latitude = photo.latitude;
    p.longitude = photo.longitude;
    p.height = photo.height;
    p.heading = photo.heading;
    p.gimbalPitch = photo.gimbalPitch;
    m_photos << p;
}

void FlightRecorder::begin()
{
    const qint64 now = m_clock();
    m_recording = true;
    m_track.clear();
    m_written = 0;
    m_photos.clear();
    m_photosWritten = 0;
    m_flight = FlightRecord{};
    const TrackPoint first = reading(now);
    m_flight.log.date = QDateTime::fromMSecsSinceEpoch(now, Qt::UTC);
    m_flight.log.location = m_namer ? m_namer(first.latitude, first.longitude) : Gazetteer::coordinateText(first.latitude, first.longitude);
    m_flight.takeoffLatitude = first.latitude;
    m_flight.takeoffLongitude = first.longitude;
    m_flight.batteryStart = first.battery;
    m_flight.batteryEnd = first.battery;
    m_store->beginFlight(m_flight);
    m_track << first;
    m_lastSampleMs = now;
    flush(); // the take-off point is kept at once
    Q_EMIT flightStarted(m_flight.log.id);
}

void FlightRecorder::sample(qint64 now)
{
    if (!m_track.isEmpty() && now <= m_track.last().timeMs)
        return;
    m_track << reading(now);
    m_lastSampleMs = now;
}

void FlightRecorder::flush()
{
    m_lastFlushMs = m_clock();
    if (!m_store)
        return;
    // A failed write keeps the points and photos for the next batch.
    if (m_written < m_track.size() && m_store->appendPoints(m_flight.log.id, m_track.mid(m_written)))
        m_written = m_track.size();
    if (m_photosWritten < m_photos.size() && m_store->appendPhotos(m_flight.log.id, m_photos.mid(m_photosWritten)))
        m_photosWritten = m_photos.size();
}

void FlightRecorder::end(FlightEnd how)
{
    flush();
    applyTrackSummary(m_flight, summarizeTrack(m_track));
    m_flight.end = how;
    m_flight.pointCount = int(m_track.size());
    if (m_store)
        m_store->finishFlight(m_flight);
    m_recording = false;
    Q_EMIT flightFinished(m_flight.log.id);
}
