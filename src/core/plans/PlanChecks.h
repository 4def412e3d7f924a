#pragma once

#include "MissionPlan.h"

#include <QJsonDocument>
#include <QString>

#include <algorithm>
#include <cmath>

// Checks and texts the readers share.
namespace zeltrin::planio::detail {

// A piece of a file quoted in a reason: at most `n` characters, never half a surrogate pair,
// "…" when cut.
inline QString excerpt(QStringView text, qsizetype n = 40)
{
    if (text.size() <= n)
        return text.toString();
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n).toString() + u'\u2026';
}

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

// "it ends unexpectedly at line 12": the last line that holds anything.
inline QString endsUnexpectedlyText(const QByteArray &bytes)
{
    qsizetype end = bytes.size();
    while (end > 0 && QChar::isSpace(uchar(bytes.at(end - 1))))
        --end;
    return QStringLiteral("it ends unexpectedly at line %1").arg(bytes.left(end).count('\n') + 1);
}

// "at line 3, column 7: opening and ending tag mismatch": a parser's sentence without its
// capital and full stop.
inline QString placeText(qint64 line, qint64 column, const QString &said)
{
    QString reason = said.trimmed();
    if (reason.endsWith(u'.'))
        reason.chop(1);
    if (!reason.isEmpty())
        reason[0] = reason.at(0).toLower();
    return QStringLiteral("at line %1, column %2: %3").arg(line).arg(column).arg(reason);
}

// Where JSON is damaged, from the parser's byte offset: cut off, or a place in it.
inline QString jsonDamagePlace(const QByteArray &bytes, qsizetype offset, const QString &said)
{
    offset = std::clamp<qsizetype>(offset, 0, bytes.size());
    qsizetype end = bytes.size();
    while (end > 0 && QChar::isSpace(uchar(bytes.at(end - 1))))
        --end;
    if (offset >= end)
        return endsUnexpectedlyText(bytes);
    const qsizetype lineStart = offset > 0 ? bytes.lastIndexOf('\n', offset - 1) + 1 : 0;
    return placeText(bytes.left(offset).count('\n') + 1, offset - lineStart + 1, said);
}

// "the GeoJSON file is damaged: it ends unexpectedly at line 12", or "… is damaged at line 3, …".
inline QString damagedText(const QString &file, const QString &place)
{
    return place.startsWith(u"at ") ? QStringLiteral("the %1 is damaged %2").arg(file, place)
                                    : QStringLiteral("the %1 is damaged: %2").arg(file, place);
}

// Parses JSON (a leading BOM allowed); empty on success, else the reason, naming the file as
// `file` ("GeoJSON file").
inline QString parseJson(const QByteArray &bytes, QJsonDocument &doc, const QString &file)
{
    const QByteArray text = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QJsonParseError parseError;
    doc = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error == QJsonParseError::NoError)
        return {};
    return damagedText(file, jsonDamagePlace(text, parseError.offset, parseError.errorString()));
}

// The JSON readers after parsing, so content sniffing parses once.
PlanReadResult readQgcPlanDocument(const QJsonDocument &doc);
PlanReadResult readGeoJsonDocument(const QJsonDocument &doc);

// Result of a successful read; 0 waypoints is a failure, for the reason given.
inline PlanReadResult finish(MissionPlan plan, int skipped, const QString &noPositions)
{
    if (plan.waypoints.isEmpty())
        return PlanReadResult::failure(noPositions);
    PlanReadResult r;
    r.plan = std::move(plan);
    r.skippedItems = skipped;
    return r;
}

// The height the MAVLink formats write on every item, with its frame's reference. They have no
// frame for a height of unknown reference, nor an item without one: a plan without an altitude
// or with one of unknown reference is written at the planner's default, 50 m above take-off.
struct MissionHeight {
    double altitude;
    HeightReference reference;
};
inline MissionHeight missionHeight(const MissionPlan &plan)
{
    if (plan.altitude && std::isfinite(*plan.altitude) && plan.altitudeReference != HeightReference::Unknown)
        return {*plan.altitude, plan.altitudeReference};
    return {50.0, HeightReference::TakeOff};
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
