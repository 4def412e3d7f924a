#pragma once

// A bare tile map filling a phone-sized window, for the map's own tests.
#include "TileMapItem.h"

#include <QColor>
#include <QQuickView>

#include <cstdlib>

namespace maptest {

inline MapRegion region(double lat, double lon, double span)
{
    MapRegion r;
    r.centerLatitude = lat;
    r.centerLongitude = lon;
    r.latitudeSpan = span;
    r.longitudeSpan = span;
    return r;
}

struct MapWindow {
    QQuickView window;
    TileMapItem *map = nullptr;
    explicit MapWindow(const QString &imagery = {}, const QString &labels = {}, const QString &cache = {})
    {
        window.resize(390, 844);
        map = new TileMapItem(window.contentItem());
        map->setImageryUrlTemplate(imagery);
        map->setLabelsUrlTemplate(labels);
        map->setCacheDirectory(cache);
        map->setSize(QSizeF(390, 844));
        map->setRegion(region(43.0, -84.0, 0.05));
        window.show();
    }
};

inline bool near(QColor a, QColor b, int tol = 40)
{
    return std::abs(a.red() - b.red()) <= tol && std::abs(a.green() - b.green()) <= tol
        && std::abs(a.blue() - b.blue()) <= tol;
}

} // namespace maptest
