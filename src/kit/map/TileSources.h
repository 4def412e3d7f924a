#pragma once

#include <QString>

// Where a new map takes its tiles from: the sources chosen at build time, or the environment's.
class TileSources
{
public:
    // The sources built in.
    static QString builtInImageryUrlTemplate();
    static QString builtInLabelsUrlTemplate();
    static QString builtInAttribution();
    // The ones a new map starts with: the environment's ZELTRIN_TILE_IMAGERY_URL and
    // ZELTRIN_TILE_LABELS_URL when set (empty for none). The built-in imagery's attribution goes
    // with it: imagery from the environment takes ZELTRIN_TILE_ATTRIBUTION, or none.
    static QString defaultImageryUrlTemplate();
    static QString defaultLabelsUrlTemplate();
    static QString defaultAttribution();
};
