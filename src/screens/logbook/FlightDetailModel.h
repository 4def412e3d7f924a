#pragma once

#include "ElevationData.h"
#include "ElevationSource.h"
#include "FlightLogModel.h"
#include "FlightRecord.h"
#include "TrackLine.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>
#include <QUrl>

// One flight of the logbook for its detail page: the row's figures, the battery used, the
// photos taken, the track for the map with the photos on it, and the altitude and battery
// curves for the charts.
class FlightDetailModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    // The ground kept on the device; what rests on it follows its changes.
    Q_PROPERTY(ElevationData *elevation READ elevation WRITE setElevation NOTIFY elevationChanged)
    Q_PROPERTY(FlightLogModel *book READ book WRITE setBook NOTIFY changed)
    Q_PROPERTY(QString flightId READ flightId WRITE setFlightId NOTIFY changed)
    Q_PROPERTY(bool found READ found NOTIFY changed)
    Q_PROPERTY(QString location READ location NOTIFY changed)
    Q_PROPERTY(QString dateText READ dateText NOTIFY changed)
    Q_PROPERTY(QString timeText READ timeText NOTIFY changed)
    Q_PROPERTY(QString durationText READ durationText NOTIFY changed)
    Q_PROPERTY(QString altitudeText READ altitudeText NOTIFY changed)
    Q_PROPERTY(QString speedText READ speedText NOTIFY changed)
    Q_PROPERTY(QString distanceText READ distanceText NOTIFY changed)
    Q_PROPERTY(QString batteryUsedText READ batteryUsedText NOTIFY changed)
    Q_PROPERTY(QString endText READ endText NOTIFY changed)
    Q_PROPERTY(int pointCount READ pointCount NOTIFY changed)
    // The photos the camera took, dotted on the track: "12 photos", "1 photo".
    Q_PROPERTY(int photoCount READ photoCount NOTIFY changed)
    Q_PROPERTY(QString photoCountText READ photoCountText NOTIFY changed)
    Q_PROPERTY(TrackLine *track READ track CONSTANT)
    Q_PROPERTY(double takeoffLatitude READ takeoffLatitude NOTIFY changed)
    Q_PROPERTY(double takeoffLongitude READ takeoffLongitude NOTIFY changed)
    Q_PROPERTY(double landingLatitude READ landingLatitude NOTIFY changed)
    Q_PROPERTY(double landingLongitude READ landingLongitude NOTIFY changed)
    // x: seconds since take-off; y: metres, or percent. At most kChartPoints each.
    Q_PROPERTY(QList<QPointF> altitudeSeries READ altitudeSeries NOTIFY changed)
    Q_PROPERTY(QList<QPointF> batterySeries READ batterySeries NOTIFY changed)
    // The outcome of the last export, for the banner.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(bool messageIsError READ messageIsError NOTIFY messageChanged)

public:
    ElevationData *elevation() const { return m_elevation; }
    void setElevation(ElevationData *elevation);
    static constexpr qsizetype kChartPoints = 720;

    explicit FlightDetailModel(QObject *parent = nullptr);

    FlightLogModel *book() const { return m_book; }
    void setBook(FlightLogModel *book);
    QString flightId() const { return m_id; }
    void setFlightId(const QString &id);

    bool found() const { return m_found; }
    QString location() const { return m_flight.log.location; }
    QString dateText() const;
    QString timeText() const;
    QString durationText() const;
    QString altitudeText() const;
    QString speedText() const;
    QString distanceText() const;
    QString batteryUsedText() const;
    QString endText() const { return m_flight.end == zeltrin::FlightEnd::landed ? QString() : zeltrin::flightEndText(m_flight.end); }
    int pointCount() const { return int(m_points.size()); }
    int photoCount() const { return int(m_photos.size()); }
    QString photoCountText() const;
    const QList<zeltrin::PhotoRecord> &photos() const { return m_photos; }
    // The ground kept on the device: with it, exports give heights above sea level.
    void setGround(const ElevationSource *ground) { m_ground = ground; }
    TrackLine *track() { return &m_track; }
    double takeoffLatitude() const { return m_points.isEmpty() ? m_flight.takeoffLatitude : m_points.first().latitude; }
    double takeoffLongitude() const { return m_points.isEmpty() ? m_flight.takeoffLongitude : m_points.first().longitude; }
    double landingLatitude() const { return m_points.isEmpty() ? m_flight.takeoffLatitude : m_points.last().latitude; }
    double landingLongitude() const { return m_points.isEmpty() ? m_flight.takeoffLongitude : m_points.last().longitude; }
    QList<QPointF> altitudeSeries() const { return m_altitude; }
    QList<QPointF> batterySeries() const { return m_battery; }
    const QList<zeltrin::TrackPoint> &points() const { return m_points; }
    QString message() const { return m_message; }
    bool messageIsError() const { return m_messageIsError; }

    // The track's south, west, north and east edges (empty without a track).
    Q_INVOKABLE QVariantList bounds() const;
    // Writes this flight as "gpx" or "kml" into `folder`; the outcome goes to `message`.
    Q_INVOKABLE bool exportFlight(const QString &format, const QUrl &folder);
    Q_INVOKABLE void clearMessage();

Q_SIGNALS:
    void elevationChanged();
    void changed();
    void messageChanged();

private:
    QPointer<ElevationData> m_elevation;
    void load();
    void setMessage(const QString &text, bool error);

    QPointer<FlightLogModel> m_book;
    QString m_id;
    bool m_found = false;
    zeltrin::FlightRecord m_flight;
    QList<zeltrin::TrackPoint> m_points;
    QList<zeltrin::PhotoRecord> m_photos;
    const ElevationSource *m_ground = nullptr;
    TrackLine m_track;
    QList<QPointF> m_altitude, m_battery;
    QString m_message;
    bool m_messageIsError = false;
    QTimer m_messageTimer; // the message goes by itself
};
