#include "TileSources.h"

#ifndef ZELTRIN_TILE_IMAGERY_URL
#define ZELTRIN_TILE_IMAGERY_URL ""
#endif
#ifndef ZELTRIN_TILE_LABELS_URL
#define ZELTRIN_TILE_LABELS_URL ""
#endif
#ifndef ZELTRIN_TILE_ATTRIBUTION
#define ZELTRIN_TILE_ATTRIBUTION ""
#endif

namespace {
// A variable of the same name, when set, replaces the built-in source at run time (empty: none,
// the map draws its graticule), so a run can use a local tile server or stay off the network.
QString sourceFromEnvironment(const char *name, const QString &builtIn)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariable(name) : builtIn;
}
} // namespace

QString TileSources::builtInImageryUrlTemplate()
{
    return QStringLiteral(ZELTRIN_TILE_IMAGERY_URL);
}
QString TileSources::builtInLabelsUrlTemplate()
{
    return QStringLiteral(ZELTRIN_TILE_LABELS_URL);
}
QString TileSources::builtInAttribution()
{
    return QStringLiteral(ZELTRIN_TILE_ATTRIBUTION);
}

QString TileSources::defaultImageryUrlTemplate()
{
    return sourceFromEnvironment("ZELTRIN_TILE_IMAGERY_URL", builtInImageryUrlTemplate());
}

QString TileSources::defaultLabelsUrlTemplate()
{
    return sourceFromEnvironment("ZELTRIN_TILE_LABELS_URL", builtInLabelsUrlTemplate());
}

QString TileSources::defaultAttribution()
{
    // Another source's tiles, or none, are not the built-in provider's to credit.
    if (qEnvironmentVariableIsSet("ZELTRIN_TILE_IMAGERY_URL"))
        return qEnvironmentVariable("ZELTRIN_TILE_ATTRIBUTION");
    return builtInAttribution();
}
