#pragma once

#include <QtGlobal>

namespace zeltrin {

// Latitude and longitude in degrees.
struct Coordinate {
    double latitude = 0.0;
    double longitude = 0.0;
    friend bool operator==(const Coordinate &, const Coordinate &) = default;
};

} // namespace zeltrin

Q_DECLARE_TYPEINFO(zeltrin::Coordinate, Q_PRIMITIVE_TYPE);
