// An MBTiles pack of any content, opened into a store holding one area: the pack is either
// taken whole or refused with a reason, the store is sound either way, and the pack's bytes
// are never changed.
#include "FuzzCheck.h"
#include "OfflineStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace zeltrin::offline;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_mbtiles";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString pack = dir.filePath(QStringLiteral("pack.mbtiles"));
    const QString storePath = dir.filePath(QStringLiteral("store.mbtiles"));
    for (const QString &p : {pack, storePath})
        for (const char *suffix : {"", "-wal", "-shm"})
            QFile::remove(p + QLatin1String(suffix));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile f(pack);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    OfflineStore store(storePath);
    FUZZ_CHECK(store.isOpen());
    OfflineArea area;
    area.name = QStringLiteral("kept");
    area.bounds = {47.37, 8.54, 47.38, 8.55};
    area.minZoom = 12;
    area.maxZoom = 12;
    const qint64 kept = store.addArea(area);
    FUZZ_CHECK(kept > 0);
    const qint64 before = store.tileTotal();
    QString error;
    const qint64 id = store.importPack(pack, QStringLiteral("pack"), &error);
    FUZZ_CHECK((id > 0) == error.isEmpty());
    if (id > 0) {
        const auto a = store.area(id);
        FUZZ_CHECK(a && a->heldCount == a->tileCount && a->tileCount > 0);
        FUZZ_CHECK(store.removeArea(id));
        // What stays is only what the kept area covers.
        FUZZ_CHECK(store.tileTotal() <= tileCount(area.bounds, area.minZoom, area.maxZoom));
    } else {
        FUZZ_CHECK(store.tileTotal() == before);
    }
    FUZZ_CHECK(store.area(kept).has_value());
    QFile f(pack);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly) && f.readAll() == bytes);
    return 0;
}
