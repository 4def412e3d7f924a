#pragma once

#include "ElevationStore.h"
#include "OfflineMaps.h"

// Lives on the store's thread; the stores are made, used and destroyed there only.
struct OfflineMaps::Worker : QObject {
    std::unique_ptr<zeltrin::offline::OfflineStore> store;
    QString elevationPath;
    std::unique_ptr<zeltrin::terrain::ElevationStore> elevationStore; // opened on first use
    zeltrin::terrain::ElevationStore *elevation()
    {
        if (!elevationStore && !elevationPath.isEmpty())
            elevationStore = std::make_unique<zeltrin::terrain::ElevationStore>(elevationPath);
        return elevationStore && elevationStore->isOpen() ? elevationStore.get() : nullptr;
    }
};
