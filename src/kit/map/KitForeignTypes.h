#pragma once

// Core types that the kit's QML uses, registered here: the core knows nothing of QML.
#include "MapRegion.h"
#include "OfflineTileSource.h"

#include <QQmlEngine>

struct MapRegionForeign {
    Q_GADGET
    QML_FOREIGN(MapRegion)
    QML_VALUE_TYPE(mapRegion)
};

struct OfflineTileSourceForeign {
    Q_GADGET
    QML_FOREIGN(OfflineTileSource)
    QML_ANONYMOUS
};
