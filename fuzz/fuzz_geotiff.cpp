// A GeoTIFF of any content, imported into a store holding one area: it is stored whole, refused
// with a reason, or cancelled after a few tiles, and the store keeps exactly what it had
// otherwise. (A tiny file may describe thousands of tiles: cancelling keeps each input short, and
// checks that a cancel mid-way leaves nothing behind.)
#include "ElevationImport.h"
#include "ElevationStore.h"
#include "FuzzCheck.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <atomic>

#include <cpl_vsi.h>

using namespace zeltrin::terrain;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_geotiff";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    // One store for the run (opening one per input would be most of the time): an import is
    // removed again after its checks.
    static ElevationStore store(dir.filePath(QStringLiteral("elevation.sqlite")));
    static const qint64 kept = store.addArea({0, QStringLiteral("kept"), 46, 7, 46.01, 7.01, 12, {}, 30, {}}, {});
    FUZZ_CHECK(store.isOpen() && kept > 0);

    // The file lives in GDAL's memory file system: no disk write per input.
    const char *path = "/vsimem/fuzz.tif";
    VSILFILE *f = VSIFileFromMemBuffer(path, const_cast<GByte *>(data), vsi_l_offset(size), FALSE);
    FUZZ_CHECK(f);
    VSIFCloseL(f);
    std::atomic<bool> cancel{false};
    int tiles = 0;
    const auto result = importElevationModel(
        store, QString::fromLatin1(path), QStringLiteral("fuzz"), [&](double) { cancel = ++tiles >= 3; }, &cancel);
    VSIUnlink(path);
    FUZZ_CHECK(!result.cancelled || (result.areaId == 0 && result.error.isEmpty()));
    FUZZ_CHECK(result.cancelled || (result.areaId > 0) == result.error.isEmpty());
    const auto areas = store.areas();
    FUZZ_CHECK(areas.size() == (result.areaId > 0 ? 2 : 1));
    FUZZ_CHECK(areas[0].id == kept);
    if (result.areaId > 0)
        FUZZ_CHECK(store.removeArea(result.areaId) && store.tilesOf(result.areaId).isEmpty());
    return 0;
}
