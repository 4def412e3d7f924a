#pragma once

#include "MissionPlan.h"

#include <QJsonDocument>
#include <QString>

#include <cmath>

// Checks and texts the readers share.
namespace zeltrin::planio::detail {

// Empty when (lat, lon) is a position on Earth, else the reason naming `what` ("item 3").
inline QString coordinateProblem(double lat, double lon, const QString &what)
{
    if (!std::isfinite(lat) || !std::isfinite(lon))
        return QStringLiteral("%1 has a coordinate that is not a number").arg(what);
    if (lat < -90.0 || lat > 90.0)
        return QStringLiteral("%1 has a latitude outside ±90°").arg(what);
    if (lon < -180.0 || lon > 180.0)
        return QStringLiteral("%1 has a longitude outside ±180°").arg(what);
    return {};
}

inline QString altitudeProblem(double alt, const QString &what)
{
    return std::isfinite(alt) ? QString() : QStringLiteral("%1 has an altitude that is not a number").arg(what);
}

// Parses JSON (a leading BOM allowed); empty on success, else the reason.
inline QString parseJson(const QByteArray &bytes, QJsonDocument &doc)
{
    QJsonParseError parseError;
    doc = QJsonDocument::fromJson(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes, &parseError);
    if (parseError.error == QJsonParseError::NoError)
        return {};
    return QStringLiteral("the JSON is damaged at character %1 (%2)").arg(parseError.offset).arg(parseError.errorString());
}

// The JSON readers after parsing, so content sniffing parses once.
PlanReadResult readQgcPlanDocument(const QJsonDocument &doc);
PlanReadResult readGeoJsonDocument(const QJsonDocument &doc);

inline QString noPositionsText() { return QStringLiteral("it holds no positions"); }

// Result of a successful read; 0 waypoints is a failure.
inline PlanReadResult finish(MissionPlan plan, int skipped)
{
    if (plan.waypoints.isEmpty())
        return PlanReadResult::failure(noPositionsText());
    PlanReadResult r;
    r.plan = std::move(plan);
    r.skippedItems = skipped;
    return r;
}

// Text of a double that reads back to within 1e-9 of it.
inline QString number(double v)
{
    QString s = QString::number(v, 'f', 9);
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1) == u'0')
        --end;
    if (end > 0 && s.at(end - 1) == u'.')
        --end;
    s.truncate(end);
    return s == u"-0" ? QStringLiteral("0") : s;
}

} // namespace zeltrin::planio::detail
