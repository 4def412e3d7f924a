#include "Gazetteer.h"

#include "FlightRecord.h"
#include "NumberFormat.h"

#include <QFile>

#include <cmath>
#include <optional>

namespace {

// "+4723" (±DDMM) or "+472300" (±DDMMSS) for latitudes, one more degree digit for longitudes.
std::optional<double> parseIso6709(QByteArrayView text, int degreeDigits)
{
    if (text.size() != 1 + degreeDigits + 2 && text.size() != 1 + degreeDigits + 4)
        return std::nullopt;
    if (text[0] != '+' && text[0] != '-')
        return std::nullopt;
    for (qsizetype i = 1; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    auto num = [&](qsizetype from, qsizetype n) { return text.sliced(from, n).toInt(); };
    double v = num(1, degreeDigits) + num(1 + degreeDigits, 2) / 60.0;
    if (text.size() == 1 + degreeDigits + 4)
        v += num(3 + degreeDigits, 2) / 3600.0;
    return text[0] == '-' ? -v : v;
}

} // namespace

Gazetteer Gazetteer::fromZoneTab(const QByteArray &text)
{
    Gazetteer g;
    for (QByteArrayView line : text.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.toByteArray().split('\t');
        if (fields.size() < 3 || fields[0].size() != 2)
            continue;
        const QByteArray &coords = fields[1];
        qsizetype split = -1;
        for (qsizetype i = 1; i < coords.size(); ++i)
            if (coords[i] == '+' || coords[i] == '-') {
                split = i;
                break;
            }
        if (split < 0)
            continue;
        const auto lat = parseIso6709(QByteArrayView(coords).first(split), 2);
        const auto lon = parseIso6709(QByteArrayView(coords).sliced(split), 3);
        const QByteArray &zone = fields[2];
        const qsizetype slash = zone.lastIndexOf('/');
        if (!lat || !lon || slash < 0 || std::abs(*lat) > 90 || std::abs(*lon) > 180)
            continue;
        Place p;
        p.name = QString::fromUtf8(zone.sliced(slash + 1)).replace(QLatin1Char('_'), QLatin1Char(' '));
        p.country = QString::fromLatin1(fields[0]);
        p.latitude = *lat;
        p.longitude = *lon;
        if (!p.name.isEmpty())
            g.m_places << p;
    }
    return g;
}

const Gazetteer &Gazetteer::bundled()
{
    static const Gazetteer g = [] {
        QFile f(QStringLiteral(":/places/zone.tab"));
        if (!f.open(QIODevice::ReadOnly)) {
            qWarning("Gazetteer: the place table is not in the build; take-offs are named by coordinates");
            return Gazetteer{};
        }
        return fromZoneTab(f.readAll());
    }();
    return g;
}

QString Gazetteer::placeName(double latitude, double longitude) const
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90 || std::abs(longitude) > 180)
        return zeltrin::kPlaceholder;
    const Place *nearest = nullptr;
    double best = kNearMetres;
    for (const Place &p : m_places) {
        const double d = zeltrin::haversineMetres(latitude, longitude, p.latitude, p.longitude);
        if (d <= best) {
            best = d;
            nearest = &p;
        }
    }
    if (nearest)
        return nearest->name + QStringLiteral(", ") + nearest->country;
    return coordinateText(latitude, longitude);
}

QString Gazetteer::coordinateText(double latitude, double longitude)
{
    if (!std::isfinite(latitude) || !std::isfinite(longitude))
        return zeltrin::kPlaceholder;
    // The hemisphere letter carries the sign, so a value that rounds to zero shows no "-0".
    const QString lat = zeltrin::format("%.4f", std::abs(latitude)) + QStringLiteral("\u00b0 ")
        + (latitude < 0 && zeltrin::format("%.4f", std::abs(latitude)) != QLatin1String("0.0000") ? u'S' : u'N');
    const QString lon = zeltrin::format("%.4f", std::abs(longitude)) + QStringLiteral("\u00b0 ")
        + (longitude < 0 && zeltrin::format("%.4f", std::abs(longitude)) != QLatin1String("0.0000") ? u'W' : u'E');
    return lat + QStringLiteral(", ") + lon;
}
