// The elevation an area download fetches with the imagery: one job, one progress.
#include "OfflineMaps.h"
#include "OfflineMapsWorker.h"
#include "VerticalDatum.h"

#include <QSet>

#include <cmath>

using namespace zeltrin::offline;
using zeltrin::terrain::ElevationArea;
using zeltrin::terrain::ElevationStore;
using zeltrin::terrain::ElevationTileBlob;

bool OfflineMaps::fetchesElevation() const
{
    return !m_options.elevationUrlTemplate.isEmpty() && !m_options.elevationStorePath.isEmpty();
}

QList<TileAddress> OfflineMaps::missingElevation(Worker &w, const OfflineArea &area, const QString &source,
                                                 qint64 *elevationArea, qint64 *total)
{
    QList<TileAddress> missing;
    ElevationStore *store = w.elevation();
    const TileSpan span = tileSpan(area.bounds, elevationZoom(area.maxZoom));
    *total = span.count();
    if (!store || span.count() == 0)
        return missing;
    *elevationArea = store->areaOfMapArea(area.id);
    if (*elevationArea == 0) {
        ElevationArea e;
        e.name = area.name;
        e.south = area.bounds.south;
        e.west = area.bounds.west;
        e.north = area.bounds.north;
        e.east = area.bounds.east;
        e.zoom = span.z;
        e.source = QUrl(source).host();
        // A sample's spacing on the ground at the area's middle.
        constexpr double kEquator = 40'075'016.686;
        const double middle = (area.bounds.south + area.bounds.north) / 2 * M_PI / 180;
        e.resolution = kEquator * std::cos(middle) / (256.0 * double(1 << span.z));
        e.datum = zeltrin::terrain::VerticalDatum::seaLevelName();
        e.mapArea = area.id;
        *elevationArea = store->addArea(e, {});
    }
    if (*elevationArea == 0)
        return missing;
    QSet<quint64> held;
    for (const ElevationTileBlob &t : store->tilesOf(*elevationArea))
        held.insert((quint64(t.x) << 32) | quint64(t.y));
    for (int y = span.y0; y <= span.y1; ++y)
        for (int x = span.x0; x <= span.x1; ++x)
            if (!held.contains((quint64(x) << 32) | quint64(y)))
                missing.append({span.z, x, y});
    return missing;
}

void OfflineMaps::storeBatch(const QList<TileBlob> &tiles, std::function<void(bool, bool)> done)
{
    QList<TileBlob> imagery;
    QList<ElevationTileBlob> ground;
    for (const TileBlob &t : tiles) {
        if (t.layer == 0)
            imagery.append(t);
        else
            ground.append({t.at.z, t.at.x, t.at.y, t.data});
    }
    auto outcome = std::make_shared<std::pair<bool, bool>>(false, false);
    auto error = std::make_shared<QString>();
    onStore(
        [w = m_worker, imagery, ground, elevationArea = m_elevationAreaId, outcome, error](OfflineStore &s) {
            outcome->first = imagery.isEmpty() || s.putTiles(imagery);
            outcome->second = !outcome->first && s.lastErrorWasFull();
            if (!outcome->first) {
                *error = s.errorText();
                return;
            }
            if (ground.isEmpty())
                return;
            ElevationStore *e = w->elevation();
            outcome->first = e && e->putTiles(elevationArea, ground);
            if (!outcome->first)
                *error = e ? e->errorText() : (w->elevationStore ? w->elevationStore->errorText() : QString());
        },
        [this, done = std::move(done), outcome, error, imagery = !imagery.isEmpty(), ground = !ground.isEmpty()] {
            if (!outcome->first && !outcome->second)
                m_error = *error;
            done(outcome->first, outcome->second);
            if (outcome->first && imagery)
                Q_EMIT offlineTilesChanged();
            if (outcome->first && ground)
                Q_EMIT elevationChanged();
        });
}

void OfflineMaps::removeElevationOf(qint64 mapAreaId)
{
    if (!fetchesElevation())
        return;
    auto removed = std::make_shared<bool>(false);
    onStore(
        [w = m_worker, mapAreaId, removed](OfflineStore &) {
            if (ElevationStore *e = w->elevation())
                if (const qint64 id = e->areaOfMapArea(mapAreaId))
                    *removed = e->removeArea(id);
        },
        [this, removed] {
            if (*removed)
                Q_EMIT elevationChanged();
        });
}
