#pragma once

#include <QObject>

// What a map shows: a centre coordinate and the span in degrees across each axis.
class MapRegion
{
    Q_GADGET
    Q_PROPERTY(double centerLatitude MEMBER centerLatitude)
    Q_PROPERTY(double centerLongitude MEMBER centerLongitude)
    Q_PROPERTY(double latitudeSpan MEMBER latitudeSpan)
    Q_PROPERTY(double longitudeSpan MEMBER longitudeSpan)
public:
    double centerLatitude = 0.0;
    double centerLongitude = 0.0;
    double latitudeSpan = 1.0;
    double longitudeSpan = 1.0;

    friend bool operator==(const MapRegion &, const MapRegion &) = default;
};
