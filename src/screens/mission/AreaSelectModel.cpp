#include "AreaSelectModel.h"

#include "OfflineMaps.h"
#include "TileRange.h"

#include <cmath>

QString AreaSelectModel::zoomRangeText() const
{
    return m_minZoom == m_maxZoom ? QStringLiteral("Zoom %1").arg(m_minZoom)
                                  : QStringLiteral("Zoom %1\u2013%2").arg(m_minZoom).arg(m_maxZoom);
}

double AreaSelectModel::estimatedBytes() const
{
    // What the store holds is the best guide, then what the map fetched, then a typical tile.
    const double mean = m_storeMean > 0 ? m_storeMean : m_seenMean > 0 ? m_seenMean : OfflineMaps::kDefaultTileBytes;
    return mean * double(m_tiles);
}

QString AreaSelectModel::estimateText() const
{
    const double bytes = estimatedBytes();
    return QStringLiteral("%1 tiles \u00b7 about %2")
        .arg(OfflineMaps::countText(m_tiles),
             OfflineMaps::bytesText(std::isfinite(bytes) && bytes < 9e18 ? qint64(bytes) : 0));
}

bool AreaSelectModel::tooMany() const
{
    return m_tiles > OfflineMaps::kMaxTiles;
}

QString AreaSelectModel::limitText() const
{
    if (tooMany())
        return QStringLiteral("That is more than %1 tiles. Zoom the map in, or lower the deepest zoom level.")
            .arg(OfflineMaps::countText(OfflineMaps::kMaxTiles));
    return QStringLiteral("For personal offline use. At most %1 tiles an area.").arg(OfflineMaps::countText(OfflineMaps::kMaxTiles));
}

void AreaSelectModel::setStoreMeanTileBytes(double b)
{
    const double v = std::isfinite(b) && b > 0 ? b : 0;
    if (v == m_storeMean)
        return;
    m_storeMean = v;
    Q_EMIT changed();
}

void AreaSelectModel::setSeenMeanTileBytes(double b)
{
    const double v = std::isfinite(b) && b > 0 ? b : 0;
    if (v == m_seenMean)
        return;
    m_seenMean = v;
    Q_EMIT changed();
}

void AreaSelectModel::begin(double mapZoom)
{
    const double z = std::isfinite(mapZoom) ? std::floor(mapZoom) : 0.0;
    m_minZoom = int(std::clamp(z, 0.0, double(kDeepestZoom)));
    m_maxZoom = std::min(m_minZoom + kDefaultLevels, kDeepestZoom);
    recount();
}

void AreaSelectModel::setFrame(const QVariantMap &bounds)
{
    m_bounds = {bounds.value(QStringLiteral("south")).toDouble(), bounds.value(QStringLiteral("west")).toDouble(),
                bounds.value(QStringLiteral("north")).toDouble(), bounds.value(QStringLiteral("east")).toDouble()};
    recount();
}

void AreaSelectModel::stepMinZoom(int delta)
{
    m_minZoom = std::clamp(m_minZoom + delta, 0, m_maxZoom);
    recount();
}

void AreaSelectModel::stepMaxZoom(int delta)
{
    m_maxZoom = std::clamp(m_maxZoom + delta, m_minZoom, kDeepestZoom);
    recount();
}

void AreaSelectModel::setWithElevation(bool on)
{
    if (on == m_withElevation)
        return;
    m_withElevation = on;
    recount();
}

void AreaSelectModel::recount()
{
    const zeltrin::offline::GeoBounds bounds{m_bounds.value(0), m_bounds.value(1), m_bounds.value(2),
                                             m_bounds.value(3)};
    m_tiles = zeltrin::offline::tileCount(bounds, m_minZoom, m_maxZoom);
    if (m_withElevation && m_tiles > 0)
        m_tiles += OfflineMaps::elevationTiles(bounds, m_maxZoom);
    Q_EMIT changed();
}
