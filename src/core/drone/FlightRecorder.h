#pragma once

#include "FlightRecord.h"

#include <QObject>
#include <QPointer>

#include <functional>

class DJIDroneManager;
struct DJIPhotoCapture;
class FlightStore;

// Records every flight the drone link reports: from the reading that says the aircraft is
// airborne to the one that says it is down. The track is sampled once a second and written
// to the store in batches with the photos the camera reported, so a killed app loses at most
// one batch. A link lost while
// airborne ends the flight at its last sample; if the link comes back with the aircraft
// still airborne, a new flight begins.
class FlightRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kSampleMs = 1000;
    static constexpr qint64 kBatchMs = 5000;
    // UTC milliseconds since the epoch.
    using Clock = std::function<qint64()>;
    // Names a take-off point; the bundled gazetteer unless a test hands in its own.
    using PlaceNamer = std::function<QString(double latitude, double longitude)>;

    // Neither the manager nor the store is owned; the recorder stops when either goes.
    FlightRecorder(DJIDroneManager *drone, FlightStore *store, Clock clock = {}, QObject *parent = nullptr);
    ~FlightRecorder() override;

    void setPlaceNamer(PlaceNamer namer) { m_namer = std::move(namer); }

    bool isRecording() const { return m_recording; }
    const zeltrin::FlightRecord &current() const { return m_flight; }
    const QList<zeltrin::TrackPoint> &currentTrack() const { return m_track; }
    const QList<zeltrin::PhotoRecord> &currentPhotos() const { return m_photos; }

    // Ends an open flight as the app stops; the next start would otherwise call it interrupted.
    void finish();

Q_SIGNALS:
    void flightStarted(const QUuid &id);
    void flightFinished(const QUuid &id);

private:
    void update();
    void begin();
    void sample(qint64 now);
    void flush();
    void end(zeltrin::FlightEnd how);
    zeltrin::TrackPoint reading(qint64 now) const;
    void photoTaken(const DJIPhotoCapture &photo);

    QPointer<DJIDroneManager> m_drone;
    QPointer<FlightStore> m_store;
    Clock m_clock;
    PlaceNamer m_namer;
    bool m_recording = false;
    zeltrin::FlightRecord m_flight;
    QList<zeltrin::TrackPoint> m_track; // the whole flight, for its figures
    qsizetype m_written = 0;            // how much of it the store holds
    QList<zeltrin::PhotoRecord> m_photos;
    qsizetype m_photosWritten = 0;
    qint64 m_lastSampleMs = 0;
    qint64 m_lastFlushMs = 0;
};
