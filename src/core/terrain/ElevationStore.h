#pragma once

#include "SqliteStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace zeltrin::terrain {

// An area of elevation data as the pilot sees it in the settings.
struct ElevationArea {
    qint64 id = 0;
    QString name;
    double south = 0, west = 0, north = 0, east = 0;
    int zoom = 0;          // its tiles' zoom level
    QString source;        // where it came from: a file name or a server
    double resolution = 0; // metres on the ground between the source's samples
    QString datum;         // what its heights are above, for display
    qint64 tileCount = 0;  // tiles stored (all-void tiles are not kept)
    qint64 mapArea = 0;    // the offline map area it was downloaded with; 0 when imported
    bool contains(double latitude, double longitude) const
    {
        return latitude >= south && latitude <= north && longitude >= west && longitude <= east;
    }
};

struct ElevationTileBlob {
    int z = 0, x = 0, y = 0; // XYZ, rows from the north
    QByteArray png;          // Terrarium, see ElevationTile.h
};

// The elevation areas and their Terrarium tiles, in one SQLite file beside the offline maps.
// An area and its tiles are written in one transaction: after a kill or a failure the area is
// there whole or not at all. One thread owns an instance.
class ElevationStore
{
public:
    explicit ElevationStore(const QString &path);
    ~ElevationStore();
    ElevationStore(const ElevationStore &) = delete;
    ElevationStore &operator=(const ElevationStore &) = delete;

    static QString defaultPath();

    QString path() const { return m_db.path(); }
    bool isOpen() const { return m_db.isOpen(); }
    QString errorText() const { return m_db.errorText(); }
    QString setAsidePath() const { return m_db.setAsidePath(); }

    QList<ElevationArea> areas();
    // Writes an area and its tiles at once. Returns its id, or 0 (errorText() says why).
    qint64 addArea(const ElevationArea &area, const QList<ElevationTileBlob> &tiles);
    // The same in steps, for areas too large to hold in memory: beginArea opens the
    // transaction, addTile adds to it, then commitArea or abandonArea (nothing kept) ends it.
    qint64 beginArea(const ElevationArea &area);
    bool addTile(qint64 areaId, const ElevationTileBlob &tile);
    bool commitArea();
    void abandonArea();
    bool removeArea(qint64 id);
    // Adds tiles to an area already stored, in one transaction (nothing when it is gone).
    bool putTiles(qint64 areaId, const QList<ElevationTileBlob> &tiles);
    // The area downloaded with that offline map area, or 0.
    qint64 areaOfMapArea(qint64 mapAreaId);

    // The area's tile at this address, if stored.
    std::optional<QByteArray> tile(qint64 areaId, int z, int x, int y);
    QList<ElevationTileBlob> tilesOf(qint64 areaId, bool withData = false);

private:
    QSqlDatabase connection() const { return m_db.database(); }

    SqliteStore m_db;
    bool m_writing = false;
};

} // namespace zeltrin::terrain
