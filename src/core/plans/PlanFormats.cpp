#include "PlanFormats.h"

#include "AtomicFile.h"
#include "PlanChecks.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

namespace zeltrin::planio {

std::optional<Format> formatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"plan")
        return Format::QgcPlan;
    if (suffix == u"waypoints" || suffix == u"txt")
        return Format::WaypointList;
    if (suffix == u"kml")
        return Format::Kml;
    if (suffix == u"kmz")
        return Format::Kmz;
    if (suffix == u"geojson" || suffix == u"json")
        return Format::GeoJson;
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

PlanReadResult readPlan(const QByteArray &bytes)
{
    // Recognised by content: a renamed file still opens, and a wrong one says what it is not.
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < bytes.size() && QChar::isSpace(uchar(bytes.at(start))))
        ++start;
    if (start == bytes.size())
        return PlanReadResult::failure(QStringLiteral("the file is empty"));
    const QByteArray head = bytes.mid(start, 8);
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return readKmz(bytes);
    if (head.startsWith("QGC WPL"))
        return readWaypointList(bytes);
    if (head.startsWith('<'))
        return readKml(bytes);
    if (head.startsWith('{')) {
        QJsonDocument doc;
        if (QString e = detail::parseJson(bytes, doc); !e.isEmpty())
            return PlanReadResult::failure(e);
        if (doc.object().contains(u"fileType"))
            return detail::readQgcPlanDocument(doc);
        if (doc.object().contains(u"type"))
            return detail::readGeoJsonDocument(doc);
    }
    return PlanReadResult::failure(
        QStringLiteral("it is not a flight plan (QGroundControl plan, waypoint list, KML, KMZ or GeoJSON)"));
}

PlanReadResult readPlanFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return PlanReadResult::failure(QStringLiteral("the file does not exist"));
    if (info.size() > kMaxFileBytes)
        return PlanReadResult::failure(QStringLiteral("the file is larger than 50 MB"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PlanReadResult::failure(QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    // The size may have changed since it was asked; never read past the cap.
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        return PlanReadResult::failure(QStringLiteral("the file is larger than 50 MB"));
    if (bytes.isEmpty())
        return PlanReadResult::failure(QStringLiteral("the file is empty"));
    return readPlan(bytes);
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
