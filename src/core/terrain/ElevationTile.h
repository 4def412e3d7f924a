#pragma once

#include <QByteArray>
#include <QString>

#include <cmath>
#include <optional>
#include <vector>

namespace zeltrin::terrain {

// One 256×256 elevation tile on the web-Mercator XYZ grid the imagery uses. Samples sit at pixel
// centres, row by row from the north-west; heights are metres above the geoid, NaN for a void.
struct ElevationTile {
    static constexpr int kSize = 256;
    // Terrarium's step: heights are kept to 1/256 m.
    static constexpr double kQuantum = 1.0 / 256.0;

    std::vector<float> heights = std::vector<float>(kSize * kSize, NAN);

    float at(int column, int row) const { return heights[size_t(row) * kSize + size_t(column)]; }
    void set(int column, int row, float h) { heights[size_t(row) * kSize + size_t(column)] = h; }
    bool isAllVoid() const;
};

// Terrarium RGB PNG (height = R·256 + G + B/256 − 32768) with an alpha channel: alpha 0 marks a
// void, so that no data is never read as a height. Heights outside Terrarium's range, and NaN,
// are written as voids: an honest void beats a clipped height.
QByteArray encodeTerrarium(const ElevationTile &tile);
// Reads a tile written by encodeTerrarium or any Terrarium PNG (without alpha: no voids).
// Refuses anything else with a message for the pilot in *error.
std::optional<ElevationTile> decodeTerrarium(const QByteArray &png, QString *error = nullptr);

} // namespace zeltrin::terrain
