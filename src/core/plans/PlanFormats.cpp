#include "PlanFormats.h"

#include "AtomicFile.h"
#include "PlanChecks.h"
#include "PlanXml.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

#include <algorithm>

namespace zeltrin::planio {

std::optional<FileKind> fileKindForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"plan")
        return FileKind::QgcPlan;
    if (suffix == u"waypoints" || suffix == u"txt")
        return FileKind::WaypointList;
    if (suffix == u"kml")
        return FileKind::Kml;
    if (suffix == u"kmz")
        return FileKind::Kmz;
    if (suffix == u"geojson" || suffix == u"json")
        return FileKind::GeoJson;
    if (suffix == u"gpx")
        return FileKind::Gpx;
    return std::nullopt;
}

std::optional<Format> formatForPath(const QString &path)
{
    switch (fileKindForPath(path).value_or(FileKind::Gpx)) {
    case FileKind::QgcPlan: return Format::QgcPlan;
    case FileKind::WaypointList: return Format::WaypointList;
    case FileKind::Kml: return Format::Kml;
    case FileKind::Kmz: return Format::Kmz;
    case FileKind::GeoJson: return Format::GeoJson;
    case FileKind::Gpx: break; // read, never written
    }
    return std::nullopt;
}

QString extensionFor(Format f)
{
    switch (f) {
    case Format::QgcPlan: return QStringLiteral("plan");
    case Format::WaypointList: return QStringLiteral("waypoints");
    case Format::Kml: return QStringLiteral("kml");
    case Format::Kmz: return QStringLiteral("kmz");
    case Format::GeoJson: return QStringLiteral("geojson");
    }
    return {};
}

namespace {
// For "this is a PNG image, not KML".
QString kindName(FileKind k)
{
    switch (k) {
    case FileKind::QgcPlan: return QStringLiteral("a QGroundControl plan");
    case FileKind::WaypointList: return QStringLiteral("a waypoint list");
    case FileKind::Kml: return QStringLiteral("KML");
    case FileKind::Kmz: return QStringLiteral("KMZ");
    case FileKind::GeoJson: return QStringLiteral("GeoJSON");
    case FileKind::Gpx: return QStringLiteral("GPX");
    }
    return {};
}

// For "the KML file is damaged: …"; `otherwise` when the name says nothing.
QString fileNoun(std::optional<FileKind> k, const QString &otherwise)
{
    switch (k.value_or(FileKind::Kmz)) {
    case FileKind::QgcPlan: return QStringLiteral("plan file");
    case FileKind::WaypointList: return QStringLiteral("waypoint list");
    case FileKind::Kml: return QStringLiteral("KML file");
    case FileKind::GeoJson: return QStringLiteral("GeoJSON file");
    case FileKind::Gpx: return QStringLiteral("GPX file");
    case FileKind::Kmz: break;
    }
    return otherwise;
}

// What a file we do not read is, by its first bytes; empty when it does not say.
QString contentKind(const QByteArray &head)
{
    if (head.startsWith("\x89PNG"))
        return QStringLiteral("a PNG image");
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("a JPEG image");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QStringLiteral("a GIF image");
    if (head.startsWith("II*") || head.startsWith("MM\0*"))
        return QStringLiteral("a TIFF image");
    if (head.startsWith("%PDF"))
        return QStringLiteral("a PDF document");
    if (head.startsWith("\x1F\x8B"))
        return QStringLiteral("a gzip-compressed file");
    if (head.startsWith("SQLite format 3"))
        return QStringLiteral("an SQLite database");
    const QByteArray lower = head.left(14).toLower();
    if (lower.startsWith("<!doctype html") || lower.startsWith("<html"))
        return QStringLiteral("a web page (HTML)");
    // Text has no NUL and few control characters.
    const auto control = std::count_if(head.cbegin(), head.cend(), [](char c) {
        const uchar u = uchar(c);
        return u < 0x20 && u != '\t' && u != '\n' && u != '\r';
    });
    if (head.contains('\0') || control * 10 > head.size())
        return QStringLiteral("binary data");
    return {};
}
} // namespace

PlanReadResult readPlan(const QByteArray &bytes, std::optional<FileKind> named)
{
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && QChar::isSpace(uchar(bytes.at(start))))
        ++start;
    if (start == bytes.size())
        return PlanReadResult::failure(QStringLiteral("the file is empty"));
    const QString expected = named ? kindName(*named) : QStringLiteral("a flight plan");
    const auto notThat = [&expected](const QString &what) {
        return PlanReadResult::failure(QStringLiteral("this is %1, not %2").arg(what, expected));
    };
    const QByteArray head = bytes.mid(start, 512);
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return readKmz(bytes);
    if (head.startsWith("QGC WPL"))
        return readWaypointList(bytes);
    if (const QString kind = contentKind(head); !kind.isEmpty())
        return notThat(kind);
    if (head.startsWith('<')) {
        QXmlStreamReader xml(bytes);
        if (QString e = detail::readToRoot(xml, bytes, fileNoun(named, QStringLiteral("XML file"))); !e.isEmpty())
            return PlanReadResult::failure(e);
        if (xml.name() == u"kml")
            return readKml(bytes);
        if (xml.name() == u"gpx")
            return readGpx(bytes);
        return notThat(detail::xmlRootKind(xml.name()));
    }
    if (head.startsWith('{') || head.startsWith('[')) {
        QJsonDocument doc;
        if (QString e = detail::parseJson(bytes, doc, fileNoun(named, QStringLiteral("JSON file"))); !e.isEmpty())
            return PlanReadResult::failure(e);
        if (doc.object().contains(u"fileType"))
            return detail::readQgcPlanDocument(doc);
        if (doc.object().contains(u"type"))
            return detail::readGeoJsonDocument(doc);
        return notThat(QStringLiteral("JSON of another kind"));
    }
    if (named)
        return PlanReadResult::failure(
            QStringLiteral("it is not %1, nor another flight plan that can be read").arg(expected));
    return PlanReadResult::failure(QStringLiteral(
        "it is not a flight plan (a QGroundControl plan, waypoint list, KML, KMZ, GeoJSON or GPX file)"));
}

QString readPlanBytes(const QString &path, QByteArray &bytes)
{
    bytes.clear();
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return QStringLiteral("the file does not exist");
    if (info.size() > kMaxFileBytes)
        return QStringLiteral("the file is larger than 50 MB");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
    // The size may have changed since it was asked; never read past the cap.
    bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        bytes.clear();
        return QStringLiteral("the file is larger than 50 MB");
    }
    if (bytes.isEmpty())
        return QStringLiteral("the file is empty");
    return {};
}

PlanReadResult readPlanFile(const QString &path)
{
    QByteArray bytes;
    if (QString e = readPlanBytes(path, bytes); !e.isEmpty())
        return PlanReadResult::failure(e);
    return readPlan(bytes, fileKindForPath(path));
}

QByteArray writePlan(const MissionPlan &plan, Format f)
{
    switch (f) {
    case Format::QgcPlan: return writeQgcPlan(plan);
    case Format::WaypointList: return writeWaypointList(plan);
    case Format::Kml: return writeKml(plan);
    case Format::Kmz: return writeKmz(plan);
    case Format::GeoJson: return writeGeoJson(plan);
    }
    return {};
}

QString savePlanFile(const MissionPlan &plan, const QString &path, Format f)
{
    const QByteArray bytes = writePlan(plan, f);
    if (bytes.isEmpty())
        return QStringLiteral("the plan could not be encoded");
    if (const auto reason = writeFileAtomically(path, bytes))
        return QStringLiteral("the file cannot be written (%1)").arg(*reason);
    return {};
}

QString skippedItemsText(int count)
{
    if (count <= 0)
        return {};
    if (count == 1)
        return QStringLiteral("1 item without a position was skipped");
    return QStringLiteral("%1 items without a position were skipped").arg(count);
}

} // namespace zeltrin::planio
