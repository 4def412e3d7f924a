#include "FlightExport.h"

#include "AtomicFile.h"
#include "PlanFormats.h"

#include <QFileInfo>
#include <QXmlStreamWriter>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace zeltrin {

namespace {
const QString kGpxNamespace = QStringLiteral("http://www.topografix.com/GPX/1/1");
const QString kXsiNamespace = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
const QString kKmlNamespace = QStringLiteral("http://www.opengis.net/kml/2.2");
constexpr int kCoordinateDecimals = 9; // 0.1 mm, well below what a GPS resolves
constexpr int kHeightDecimals = 2;

// Fixed decimals rounded as printf rounds, with a decimal point whatever the process locale;
// empty when not finite. A value that rounds to zero is written without its minus sign.
QByteArray fixed(double v, int decimals)
{
    if (!std::isfinite(v))
        return {};
    char buf[400]; // the largest double has 309 digits before the point
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return {};
    const char *start = buf;
    if (*start == '-' && std::all_of(start + 1, static_cast<const char *>(end), [](char c) { return c == '0' || c == '.'; }))
        ++start;
    return QByteArray(start, end - start);
}

// ISO 8601 in UTC with "Z", milliseconds only when there are some; empty for a time that has
// no four-digit year.
QString isoUtc(const QDateTime &t)
{
    if (!t.isValid())
        return {};
    const QDateTime utc = t.toUTC();
    if (utc.date().year() < 1 || utc.date().year() > 9999)
        return {};
    return utc.toString(utc.time().msec() != 0 ? Qt::ISODateWithMs : Qt::ISODate);
}

QString isoUtc(qint64 msSinceEpoch)
{
    return isoUtc(QDateTime::fromMSecsSinceEpoch(msSinceEpoch, Qt::UTC));
}

bool usable(const TrackPoint &p)
{
    return std::isfinite(p.latitude) && std::isfinite(p.longitude) && std::abs(p.latitude) <= 90.0
        && std::abs(p.longitude) <= 180.0;
}

QList<TrackPoint> usablePoints(const QList<TrackPoint> &points)
{
    QList<TrackPoint> out;
    out.reserve(points.size());
    std::copy_if(points.cbegin(), points.cend(), std::back_inserter(out), usable);
    return out;
}

// Text without the characters XML 1.0 cannot hold at all (control characters other than tab,
// CR and LF, lone surrogates, U+FFFE/U+FFFF): one of them would make a whole file unreadable,
// and in a spreadsheet cell they are noise.
QString printable(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
            continue;
        }
        const char16_t u = c.unicode();
        const bool allowed = u == u'\t' || u == u'\n' || u == u'\r' || (u >= 0x20 && !c.isSurrogate() && u < 0xFFFE);
        if (allowed)
            out += c;
    }
    return out;
}

// "Lake Zurich, 2026-12-09 10:15 UTC", or whichever half is known.
QString trackName(const FlightRecord &flight)
{
    const QString place = printable(flight.log.location).simplified();
    const QString when = isoUtc(flight.log.date).isEmpty()
        ? QString()
        : flight.log.date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'"));
    if (!place.isEmpty() && !when.isEmpty())
        return place + QStringLiteral(", ") + when;
    if (!place.isEmpty() || !when.isEmpty())
        return place + when;
    return QStringLiteral("Flight");
}

// Spreadsheets run a cell that starts like a formula; some trim leading spaces first.
bool startsLikeFormula(QStringView text)
{
    constexpr std::u16string_view kStarts = u"=+-@\uFF1D\uFF0B\uFF0D\uFF20";
    for (QChar c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            return true;
        if (c.isSpace())
            continue;
        return kStarts.find(c.unicode()) != std::u16string_view::npos;
    }
    return false;
}

QByteArray csvText(const QString &text)
{
    QByteArray b = (startsLikeFormula(text) ? u'\'' + text : text).toUtf8();
    if (b.contains(',') || b.contains('"') || b.contains('\r') || b.contains('\n'))
        b = '"' + b.replace("\"", "\"\"") + '"';
    return b;
}

QByteArray csvRow(const FlightRecord &f)
{
    const FlightLog &log = f.log;
    // From the two ends, not batteryUsed(): a charge that rose by one percent is -1 too.
    const QByteArray battery = f.batteryStart >= 0 && f.batteryEnd >= 0 ? QByteArray::number(f.batteryStart - f.batteryEnd)
                                                                        : QByteArray();
    const QList<QByteArray> fields = {
        log.id.toString(QUuid::WithoutBraces).toLatin1(),
        isoUtc(log.date).toLatin1(),
        fixed(log.duration, 1),
        fixed(log.maxAltitude, 1),
        fixed(log.maxSpeed, 2),
        fixed(log.distance, 1),
        csvText(printable(log.location)),
        battery,
        flightEndKey(f.end).toLatin1(),
    };
    return fields.join(',') + "\r\n";
}

QString coordinateText(double v)
{
    return QString::fromLatin1(fixed(v, kCoordinateDecimals));
}

std::optional<double> finiteOnly(std::optional<double> v)
{
    return v && std::isfinite(*v) ? v : std::nullopt;
}

// A point's height above sea level, when the take-off's is known; empty otherwise.
QByteArray seaLevelHeight(const TrackPoint &p, std::optional<double> takeoffElevation)
{
    return takeoffElevation ? fixed(*takeoffElevation + p.altitude, kHeightDecimals) : QByteArray();
}

// "lon,lat,alt", or "lon,lat" when the height is unknown; above sea level when the take-off
// elevation is known, else above take-off.
QString kmlTuple(const TrackPoint &p, std::optional<double> takeoffElevation)
{
    QString t = coordinateText(p.longitude) + u',' + coordinateText(p.latitude);
    const QByteArray alt = takeoffElevation ? seaLevelHeight(p, takeoffElevation) : fixed(p.altitude, kHeightDecimals);
    if (!alt.isEmpty())
        t += u',' + QString::fromLatin1(alt);
    return t;
}

QString kmlAltitudeMode(std::optional<double> takeoffElevation)
{
    return takeoffElevation ? QStringLiteral("absolute") : QStringLiteral("relativeToGround");
}

// Begins the document and its root element in the format's namespace.
void begin(QXmlStreamWriter &w, const QString &ns, const QString &root)
{
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeDefaultNamespace(ns);
    w.writeStartElement(root);
}

void writeTextIfAny(QXmlStreamWriter &w, const QString &name, const QString &text)
{
    if (!text.isEmpty())
        w.writeTextElement(name, text);
}

void writeKmlPoint(QXmlStreamWriter &w, const QString &name, const TrackPoint &p,
                   std::optional<double> takeoffElevation)
{
    w.writeStartElement(QStringLiteral("Placemark"));
    w.writeTextElement(QStringLiteral("name"), name);
    if (const QString when = isoUtc(p.timeMs); !when.isEmpty()) {
        w.writeStartElement(QStringLiteral("TimeStamp"));
        w.writeTextElement(QStringLiteral("when"), when);
        w.writeEndElement();
    }
    w.writeStartElement(QStringLiteral("Point"));
    w.writeTextElement(QStringLiteral("altitudeMode"), kmlAltitudeMode(takeoffElevation));
    w.writeTextElement(QStringLiteral("coordinates"), kmlTuple(p, takeoffElevation));
    w.writeEndElement(); // Point
    w.writeEndElement(); // Placemark
}
} // namespace

QByteArray logbookCsv(const QList<FlightRecord> &flights)
{
    QByteArray out("\xEF\xBB\xBF" "id,date,duration,maxAltitude,maxSpeed,distance,location,batteryUsed,endReason\r\n");
    for (const FlightRecord &f : flights)
        out += csvRow(f);
    return out;
}

QByteArray flightGpx(const FlightRecord &flight, const QList<TrackPoint> &points,
                     std::optional<double> takeoffElevation, const QList<PhotoRecord> &photos)
{
    takeoffElevation = finiteOnly(takeoffElevation);
    const QList<TrackPoint> track = usablePoints(points);
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeNamespace(kXsiNamespace, QStringLiteral("xsi"));
    w.writeNamespace(planio::kGpxExtensionNamespace, QStringLiteral("zeltrin"));
    begin(w, kGpxNamespace, QStringLiteral("gpx"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    w.writeAttribute(QStringLiteral("creator"), QStringLiteral("ZeltrinPilot"));
    w.writeAttribute(kXsiNamespace, QStringLiteral("schemaLocation"),
                     kGpxNamespace + QStringLiteral(" http://www.topografix.com/GPX/1/1/gpx.xsd"));

    // The file's time is the take-off time, so the same flight always exports the same file.
    const QString name = trackName(flight);
    w.writeStartElement(QStringLiteral("metadata"));
    w.writeTextElement(QStringLiteral("name"), name);
    QString time = isoUtc(flight.log.date);
    if (time.isEmpty() && !track.isEmpty())
        time = isoUtc(track.first().timeMs);
    writeTextIfAny(w, QStringLiteral("time"), time);
    w.writeEndElement(); // metadata

    // GPX puts waypoints before tracks.
    for (const PhotoRecord &photo : photos) {
        TrackPoint p;
        p.timeMs = photo.timeMs;
        p.latitude = photo.latitude;
        p.longitude = photo.longitude;
        p.altitude = photo.height;
        if (!usable(p))
            continue;
        w.writeStartElement(QStringLiteral("wpt"));
        w.writeAttribute(QStringLiteral("lat"), coordinateText(p.latitude));
        w.writeAttribute(QStringLiteral("lon"), coordinateText(p.longitude));
        writeTextIfAny(w, QStringLiteral("ele"), QString::fromLatin1(seaLevelHeight(p, takeoffElevation)));
        writeTextIfAny(w, QStringLiteral("time"), isoUtc(p.timeMs));
        w.writeTextElement(QStringLiteral("name"), QStringLiteral("Photo %1").arg(photo.number));
        if (const QByteArray height = fixed(p.altitude, kHeightDecimals); !height.isEmpty()) {
            w.writeStartElement(QStringLiteral("extensions"));
            w.writeTextElement(planio::kGpxExtensionNamespace, planio::kGpxHeightAboveTakeoff,
                               QString::fromLatin1(height));
            w.writeEndElement();
        }
        w.writeEndElement(); // wpt
    }

    w.writeStartElement(QStringLiteral("trk"));
    w.writeTextElement(QStringLiteral("name"), name);
    w.writeStartElement(QStringLiteral("trkseg"));
    for (const TrackPoint &p : track) {
        w.writeStartElement(QStringLiteral("trkpt"));
        w.writeAttribute(QStringLiteral("lat"), coordinateText(p.latitude));
        w.writeAttribute(QStringLiteral("lon"), coordinateText(p.longitude));
        writeTextIfAny(w, QStringLiteral("ele"), QString::fromLatin1(seaLevelHeight(p, takeoffElevation)));
        writeTextIfAny(w, QStringLiteral("time"), isoUtc(p.timeMs));
        if (const QByteArray height = fixed(p.altitude, kHeightDecimals); !height.isEmpty()) {
            w.writeStartElement(QStringLiteral("extensions"));
            w.writeTextElement(planio::kGpxExtensionNamespace, planio::kGpxHeightAboveTakeoff,
                               QString::fromLatin1(height));
            w.writeEndElement();
        }
        w.writeEndElement(); // trkpt
    }
    w.writeEndElement(); // trkseg
    w.writeEndElement(); // trk
    w.writeEndElement(); // gpx
    w.writeEndDocument();
    return out;
}

QByteArray flightKml(const FlightRecord &flight, const QList<TrackPoint> &points,
                     std::optional<double> takeoffElevation)
{
    takeoffElevation = finiteOnly(takeoffElevation);
    const QList<TrackPoint> track = usablePoints(points);
    QByteArray out;
    QXmlStreamWriter w(&out);
    begin(w, kKmlNamespace, QStringLiteral("kml"));
    w.writeStartElement(QStringLiteral("Document"));
    w.writeTextElement(QStringLiteral("name"), trackName(flight));
    w.writeStartElement(QStringLiteral("ExtendedData"));
    w.writeStartElement(QStringLiteral("Data"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("altitudeReference"));
    w.writeTextElement(QStringLiteral("value"),
                       takeoffElevation ? QStringLiteral("sealevel") : QStringLiteral("takeoff"));
    w.writeEndElement(); // Data
    w.writeEndElement(); // ExtendedData

    // A line needs two positions; one sample is only a take-off point.
    if (track.size() >= 2) {
        w.writeStartElement(QStringLiteral("Placemark"));
        w.writeTextElement(QStringLiteral("name"), QStringLiteral("Flight path"));
        const QString begin = isoUtc(track.first().timeMs), end = isoUtc(track.last().timeMs);
        if (!begin.isEmpty() && !end.isEmpty()) {
            w.writeStartElement(QStringLiteral("TimeSpan"));
            w.writeTextElement(QStringLiteral("begin"), begin);
            w.writeTextElement(QStringLiteral("end"), end);
            w.writeEndElement();
        }
        w.writeStartElement(QStringLiteral("LineString"));
        w.writeTextElement(QStringLiteral("altitudeMode"), kmlAltitudeMode(takeoffElevation));
        QStringList tuples;
        tuples.reserve(track.size());
        for (const TrackPoint &p : track)
            tuples.append(kmlTuple(p, takeoffElevation));
        w.writeTextElement(QStringLiteral("coordinates"), tuples.join(u' '));
        w.writeEndElement(); // LineString
        w.writeEndElement(); // Placemark
    }
    if (!track.isEmpty())
        writeKmlPoint(w, QStringLiteral("Take-off"), track.first(), takeoffElevation);
    if (track.size() >= 2)
        writeKmlPoint(w, flight.end == FlightEnd::landed ? QStringLiteral("Landing") : QStringLiteral("Last position"),
                      track.last(), takeoffElevation);

    w.writeEndElement(); // Document
    w.writeEndElement(); // kml
    w.writeEndDocument();
    return out;
}

QString exportFileName(const FlightRecord &flight, const QString &suffix)
{
    QString ext;
    for (QChar c : suffix)
        if (c.isDigit() && c.unicode() < 128)
            ext += c;
        else if (c.unicode() < 128 && c.isLetter())
            ext += c.toLower();
    const QDateTime local = flight.log.date.toLocalTime();
    QString stem;
    if (local.isValid() && local.date().year() >= 1 && local.date().year() <= 9999) {
        const QDate d = local.date();
        const QTime t = local.time();
        stem = QStringLiteral("flight-%1-%2-%3-%4%5")
                   .arg(d.year(), 4, 10, QLatin1Char('0'))
                   .arg(d.month(), 2, 10, QLatin1Char('0'))
                   .arg(d.day(), 2, 10, QLatin1Char('0'))
                   .arg(t.hour(), 2, 10, QLatin1Char('0'))
                   .arg(t.minute(), 2, 10, QLatin1Char('0'));
    } else {
        stem = QStringLiteral("flight-") + flight.log.id.toString(QUuid::WithoutBraces).left(8);
    }
    return ext.isEmpty() ? stem : stem + u'.' + ext;
}

QString logbookFileName(const QDateTime &now)
{
    const QDate d = now.toLocalTime().date();
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return QStringLiteral("logbook.csv");
    return QStringLiteral("logbook-%1-%2-%3.csv")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

QString writeExportFile(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const auto failed = [&name](const QString &reason) {
        return name.isEmpty() ? QStringLiteral("Could not save the file: %1").arg(reason)
                              : QStringLiteral("Could not save %1: %2").arg(name, reason);
    };
    if (name.isEmpty())
        return failed(QStringLiteral("it has no name"));
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return failed(QStringLiteral("the folder does not exist"));
    if (!folder.isDir())
        return failed(QStringLiteral("%1 is a file, not a folder").arg(folder.fileName()));
    if (info.isDir())
        return failed(QStringLiteral("a folder of that name is in the way"));
    if (!folder.isWritable())
        return failed(QStringLiteral("the folder is read-only"));

    if (const auto reason = writeFileAtomically(path, data))
        return failed(QStringLiteral("the file could not be written (%1)").arg(*reason));
    return {};
}

} // namespace zeltrin
