#include "FlightDetailModel.h"

#include "FlightExport.h"
#include "FlightLogModel.h"
#include "MessageTime.h"
#include "NumberFormat.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

using namespace zeltrin;

namespace {

// Every k-th sample, and the highest and lowest of each stretch, so peaks survive thinning.
QList<QPointF> thinned(const QList<TrackPoint> &points, double (*value)(const TrackPoint &), qsizetype limit)
{
    QList<QPointF> out;
    if (points.isEmpty())
        return out;
    const qint64 t0 = points.first().timeMs;
    auto at = [&](qsizetype i) { return QPointF(double(points[i].timeMs - t0) / 1000.0, value(points[i])); };
    const qsizetype n = points.size();
    if (n <= limit) {
        out.reserve(n);
        for (qsizetype i = 0; i < n; ++i)
            if (std::isfinite(value(points[i])))
                out << at(i);
        return out;
    }
    const qsizetype buckets = std::max<qsizetype>(1, limit / 2);
    out.reserve(buckets * 2 + 1);
    for (qsizetype b = 0; b < buckets; ++b) {
        const qsizetype from = b * n / buckets, to = (b + 1) * n / buckets;
        qsizetype lo = from, hi = from;
        for (qsizetype i = from; i < to; ++i) {
            if (value(points[i]) < value(points[lo]))
                lo = i;
            if (value(points[i]) > value(points[hi]))
                hi = i;
        }
        const qsizetype first = std::min(lo, hi), second = std::max(lo, hi);
        if (std::isfinite(value(points[first])))
            out << at(first);
        if (second != first && std::isfinite(value(points[second])))
            out << at(second);
    }
    if (out.last().x() < double(points.last().timeMs - t0) / 1000.0 && std::isfinite(value(points.last())))
        out << at(n - 1);
    return out;
}

double altitudeOf(const TrackPoint &p) { return p.altitude; }
double batteryOf(const TrackPoint &p) { return p.battery >= 0 ? double(p.battery) : NAN; }

} // namespace

FlightDetailModel::FlightDetailModel(QObject *parent) : QObject(parent)
{
    m_messageTimer.setSingleShot(true);
    connect(&m_messageTimer, &QTimer::timeout, this, &FlightDetailModel::clearMessage);
}

void FlightDetailModel::setBook(FlightLogModel *book)
{
    if (m_book == book)
        return;
    m_book = book;
    load();
}

void FlightDetailModel::setFlightId(const QString &id)
{
    if (m_id == id)
        return;
    m_id = id;
    load();
}

void FlightDetailModel::load()
{
    m_found = false;
    m_flight = FlightRecord{};
    m_points.clear();
    m_photos.clear();
    m_track.clear();
    const QUuid uuid = QUuid::fromString(m_id);
    if (m_book && !uuid.isNull()) {
        if (m_book->recorded() && m_book->store()) {
            if (const auto r = m_book->store()->flight(uuid)) {
                m_flight = *r;
                m_found = true;
                m_points = m_book->store()->track(uuid);
                m_photos = m_book->store()->photos(uuid);
            }
        } else {
            for (const FlightRecord &r : m_book->records())
                if (r.log.id == uuid) {
                    m_flight = r;
                    m_found = true;
                    break;
                }
        }
    }
    for (const TrackPoint &p : m_points)
        m_track.append(p.latitude, p.longitude);
    std::vector<Coordinate> marks;
    marks.reserve(size_t(m_photos.size()));
    for (const PhotoRecord &p : m_photos)
        marks.push_back({p.latitude, p.longitude});
    m_track.setMarks(marks);
    m_altitude = thinned(m_points, altitudeOf, kChartPoints);
    m_battery = thinned(m_points, batteryOf, kChartPoints);
    Q_EMIT changed();
}

QString FlightDetailModel::dateText() const { return logDateText(m_flight.log.date.toLocalTime()); }

QString FlightDetailModel::timeText() const
{
    if (!m_flight.log.date.isValid())
        return kPlaceholder;
    return QLocale::system().toString(m_flight.log.date.toLocalTime().time(), QLocale::ShortFormat);
}

QString FlightDetailModel::durationText() const { return logDurationText(m_flight.log.duration); }
QString FlightDetailModel::altitudeText() const { return logAltitudeText(m_flight.log.maxAltitude); }
QString FlightDetailModel::speedText() const { return logSpeedText(m_flight.log.maxSpeed); }
QString FlightDetailModel::distanceText() const { return logDistanceText(m_flight.log.distance); }

QString FlightDetailModel::photoCountText() const
{
    return m_photos.size() == 1 ? QStringLiteral("1 photo") : format("%d photos", int(m_photos.size()));
}

QString FlightDetailModel::batteryUsedText() const
{
    const int used = m_flight.batteryUsed();
    return used >= 0 ? format("%d%%", used) : kPlaceholder;
}

QVariantList FlightDetailModel::bounds() const
{
    if (m_points.isEmpty())
        return {};
    double s = 90, w = 180, n = -90, e = -180;
    for (const TrackPoint &p : m_points) {
        s = std::min(s, p.latitude);
        n = std::max(n, p.latitude);
        w = std::min(w, p.longitude);
        e = std::max(e, p.longitude);
    }
    return {s, w, n, e};
}

bool FlightDetailModel::exportFlight(const QString &format, const QUrl &folder)
{
    const QString dir = folder.isLocalFile() ? folder.toLocalFile() : folder.toString();
    auto fail = [this](const QString &text) {
        setMessage(text, true);
        return false;
    };
    if (!m_found)
        return fail(QStringLiteral("This flight is no longer in the logbook."));
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return fail(QStringLiteral("Choose a folder to save the flight in."));
    const bool gpx = format.compare(QLatin1String("gpx"), Qt::CaseInsensitive) == 0;
    if (!gpx && format.compare(QLatin1String("kml"), Qt::CaseInsensitive) != 0)
        return fail(QStringLiteral("Flights are saved as GPX or KML."));
    const QString name = exportFileName(m_flight, gpx ? QStringLiteral("gpx") : QStringLiteral("kml"));
    // Heights above sea level where the ground under the take-off point is known.
    const std::optional<double> ground = m_ground && !m_points.isEmpty()
        ? m_ground->heightAt(m_points.constFirst().latitude, m_points.constFirst().longitude)
        : std::nullopt;
    const QString error = writeExportFile(QDir(dir).filePath(name),
                                          gpx ? flightGpx(m_flight, m_points, ground, m_photos)
                                              : flightKml(m_flight, m_points, ground));
    if (!error.isEmpty())
        return fail(error);
    setMessage(QStringLiteral("Saved \u201c%1\u201d").arg(name), false);
    return true;
}

void FlightDetailModel::setMessage(const QString &text, bool error)
{
    m_message = text;
    m_messageIsError = error;
    if (text.isEmpty())
        m_messageTimer.stop();
    else
        m_messageTimer.start(MessageTime::shownMs(text, error));
    Q_EMIT messageChanged();
}

void FlightDetailModel::clearMessage()
{
    setMessage({}, false);
}

void FlightDetailModel::setElevation(ElevationData *elevation)
{
    if (m_elevation == elevation)
        return;
    m_elevation = elevation;
    Q_EMIT elevationChanged();
}
