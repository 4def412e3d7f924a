#pragma once

// Mode sheets wired to a dashboard as its screen wires them, for the mode sheet tests.
#include "ActiveTrackSheetModel.h"
#include "DashboardModel.h"
#include "GeofenceSheetModel.h"
#include "OrbitSheetModel.h"
#include "POISheetModel.h"
#include "RTHSheetModel.h"

#include <memory>

namespace {

// A sheet model wired to the dashboard's link for its mode, the way its screen wires it.
inline std::unique_ptr<FeatureSheetModel> makeSheet(const QString &kind, DashboardModel *presenter)
{
    if (kind == "poi") {
        auto poi = std::make_unique<POISheetModel>();
        poi->setLink(presenter ? presenter->poiLink() : nullptr);
        return poi;
    }
    if (kind == "geofence") {
        auto g = std::make_unique<GeofenceSheetModel>();
        g->setLink(presenter ? presenter->geofenceLink() : nullptr);
        return g;
    }
    std::unique_ptr<FlagSheetModel> m;
    FlightModeLink *link = nullptr;
    if (kind == "orbit") {
        m = std::make_unique<OrbitSheetModel>();
        link = presenter ? presenter->orbitLink() : nullptr;
    } else if (kind == "rth") {
        m = std::make_unique<RTHSheetModel>();
        link = presenter ? presenter->rthLink() : nullptr;
    } else {
        m = std::make_unique<ActiveTrackSheetModel>();
        link = presenter ? presenter->activeTrackLink() : nullptr;
    }
    m->setLink(link);
    return m;
}

// Sets each of `values` on the sheet; false if one is not a property of it.
inline bool setAll(QObject *sheet, const QVariantMap &values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        if (!sheet->setProperty(it.key().toUtf8().constData(), it.value())) {
            qWarning("no property %s", qPrintable(it.key()));
            return false;
        }
    return true;
}

} // namespace
