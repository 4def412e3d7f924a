#pragma once

// Core types the app's QML uses, registered here: the core knows nothing of QML.
#include "DJIDroneManager.h"
#include "DJIIntelligentModes.h"
#include "ElevationData.h"
#include "FlightStore.h"
#include "MRVAuthManager.h"
#include "MultiBatteryMission.h"
#include "OfflineAreaListModel.h"
#include "OfflineMaps.h"

#include <QQmlEngine>

struct DJIDroneManagerForeign {
    Q_GADGET
    QML_FOREIGN(DJIDroneManager)
    QML_NAMED_ELEMENT(DJIDroneManager)
    QML_UNCREATABLE("The drone link manager is owned by the application")
};

// The intelligent flight modes, as DJIIntelligentModes.Mode.orbit and so on (QML reaches
// lower-case enum keys only through the enumeration's name).
struct DJIIntelligentModesForeign {
    Q_GADGET
    QML_FOREIGN(DJIIntelligentModes)
    QML_NAMED_ELEMENT(DJIIntelligentModes)
    QML_UNCREATABLE("A flight mode is a value")
};

struct MRVAuthManagerForeign {
    Q_GADGET
    QML_FOREIGN(MRVAuthManager)
    QML_NAMED_ELEMENT(MRVAuthManager)
    QML_UNCREATABLE("The auth manager is owned by the application")
};

struct FlightStoreForeign {
    Q_GADGET
    QML_FOREIGN(FlightStore)
    QML_NAMED_ELEMENT(FlightStore)
    QML_UNCREATABLE("The logbook store is owned by the application")
};

struct MultiBatteryMissionForeign {
    Q_GADGET
    QML_FOREIGN(MultiBatteryMission)
    QML_NAMED_ELEMENT(MultiBatteryMission)
    QML_UNCREATABLE("The application owns the multi-battery mission")
};

struct OfflineMapsForeign {
    Q_GADGET
    QML_FOREIGN(OfflineMaps)
    QML_NAMED_ELEMENT(OfflineMaps)
    QML_UNCREATABLE("The application owns the offline maps")
};

struct ElevationDataForeign {
    Q_GADGET
    QML_FOREIGN(ElevationData)
    QML_NAMED_ELEMENT(ElevationData)
    QML_UNCREATABLE("The application owns the elevation data")
};

struct ElevationAreaListModelForeign {
    Q_GADGET
    QML_FOREIGN(ElevationAreaListModel)
    QML_NAMED_ELEMENT(ElevationAreaListModel)
    QML_UNCREATABLE("The elevation data make this list")
};

struct OfflineAreaListModelForeign {
    Q_GADGET
    QML_FOREIGN(OfflineAreaListModel)
    QML_NAMED_ELEMENT(OfflineAreaListModel)
    QML_UNCREATABLE("The offline maps make this list")
};

// The item models' base, so that the QML tools can follow a model declared in QML (Qt 6.4's
// own type descriptions name it without describing it).
struct QAbstractItemModelForeign {
    Q_GADGET
    QML_FOREIGN(QAbstractItemModel)
    QML_ANONYMOUS
};
