#pragma once

#include "ElevationStore.h"

#include <QString>

#include <atomic>
#include <functional>

namespace zeltrin::terrain {

struct ElevationImportResult {
    qint64 areaId = 0; // 0 when nothing was stored
    QString error;     // why, for the pilot; empty on success and on cancel
    bool cancelled = false;
};

// Imports a pilot's elevation model (a GeoTIFF DTM or DSM in any projection GDAL reads) as one
// area: reprojected once, straight onto the web-Mercator tile grid at the zoom nearest the
// source's resolution (16 at most), bilinear, and stored as Terrarium tiles in one transaction.
// Nodata and everything outside the source are voids. Synchronous (run it on a worker thread):
// `progress` gets 0…1, `cancel` is read between tiles. On failure or cancel nothing is stored.
// GDAL's messages are caught, never printed; the refusal carries the gist.
ElevationImportResult importElevationModel(ElevationStore &store, const QString &path, const QString &name,
                                           const std::function<void(double)> &progress = {},
                                           const std::atomic<bool> *cancel = nullptr);

} // namespace zeltrin::terrain
