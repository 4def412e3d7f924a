#pragma once

#include "SqliteStore.h"
#include "TileRange.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace zeltrin::offline {

// A tile by its map address (rows from the north).
struct TileAddress {
    int z = 0;
    int x = 0;
    int y = 0;
    friend bool operator==(const TileAddress &, const TileAddress &) = default;
};

struct TileBlob {
    TileAddress at;
    QByteArray data;
    int layer = 0; // 0: the map's imagery; others are the download's own (elevation)
};

enum class AreaState { downloading, paused, complete, partial, imported };
QString areaStateKey(AreaState s);
AreaState areaStateFromKey(const QString &key);

struct OfflineArea {
    qint64 id = 0;
    QString name;
    GeoBounds bounds;
    int minZoom = 0;
    int maxZoom = 0;
    qint64 tileCount = 0; // tiles the area covers
    qint64 heldCount = 0; // of them, those stored
    qint64 bytes = 0;     // stored bytes of its tiles (shared ones counted in each area)
    QDateTime created;
    AreaState state = AreaState::downloading;
    QString urlTemplate; // where its missing tiles come from
};

// The offline map areas: one SQLite file laid out as an MBTiles 1.3 pack, so other tools read
// it as one. Tiles are kept once each, by content (the `map` and `images` tables behind the
// standard `tiles` view); the areas and the tiles each one covers are our own tables beside
// them. Not thread-safe: one thread owns an instance (the app's is on a worker thread).
class OfflineStore
{
public:
    static constexpr int kSchemaVersion = 1;

    explicit OfflineStore(const QString &path);
    ~OfflineStore();
    OfflineStore(const OfflineStore &) = delete;
    OfflineStore &operator=(const OfflineStore &) = delete;

    static QString defaultPath();

    QString path() const { return m_db.path(); }
    bool isOpen() const { return m_db.isOpen(); }
    QString errorText() const { return m_db.errorText(); }
    // Set when this start found the file damaged and put it aside: where it went.
    QString setAsidePath() const { return m_db.setAsidePath(); }
    // The last failed write failed for want of space (the disk, or the bound below).
    bool lastErrorWasFull() const { return m_full; }
    // Bounds the file's size (0: no bound beyond the disk's).
    void setMaxBytes(qint64 bytes);

    QList<OfflineArea> areas();
    std::optional<OfflineArea> area(qint64 id);
    // Registers an area and the tiles it covers; tiles already held count as held at once.
    // Returns its id, or 0.
    qint64 addArea(const OfflineArea &area);
    QList<TileAddress> missingTiles(qint64 areaId);
    // Stores tiles in one transaction, marking them held in every area that covers them.
    bool putTiles(const QList<TileBlob> &tiles);
    bool setAreaState(qint64 id, AreaState state);
    // Removes an area with the tiles no other area covers.
    bool removeArea(qint64 id);

    std::optional<QByteArray> tile(int z, int x, int y);
    qint64 tileTotal();
    // Mean size of the tiles held, 0 when there are none.
    double meanTileBytes();

    // Copies a raster MBTiles pack in as an area of its own, all or nothing. A file that is not
    // a sound pack is refused with the reason, and neither it nor the store is changed.
    qint64 importPack(const QString &file, const QString &name, QString *error);

private:
    bool writeFailed(const QString &what, const QString &detail);
    void refreshMetadata();
    QSqlDatabase connection() const { return m_db.database(); }

    SqliteStore m_db;
    bool m_full = false;
    bool m_formatKnown = false;
};

// What a tile's bytes are, by their first bytes: "png", "jpg", "webp", or empty.
QString sniffTileFormat(const QByteArray &data);

} // namespace zeltrin::offline
