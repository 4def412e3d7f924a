list(APPEND ZELTRIN_SOURCES
    map/Coordinate.h map/WaypointListOps.h map/MapRegion.h
    map/CoordinateListModel.h map/CoordinateListModel.cpp map/TrackLine.h map/TrackLine.cpp
)
list(APPEND ZELTRIN_SOURCES
    map/WebMercator.h map/TileLoader.h map/TileLoader.cpp
    map/MapCamera.h map/MapCamera.cpp map/MarkerIndex.h map/MarkerIndex.cpp
    map/MapOverlay.h map/MapOverlay.cpp map/MarkerPainter.h map/MarkerPainter.cpp
    map/OverlayNodes.h map/OverlayNodes.cpp map/OverlayGeometry.h map/OverlayGeometry.cpp map/TileNodes.h map/TileNodes.cpp
    map/TileMapItem.h map/TileMapItem.cpp map/MapGestures.cpp map/MapRenderer.cpp map/MapVehicles.cpp
    map/TileSources.cpp
)
# Imagery is chosen at build time. The default provider's terms require its attribution on
# the map, which the flight plan screen shows.
set(ZELTRIN_TILE_IMAGERY_URL
    "https://server.arcgisonline.com/ArcGIS/rest/services/World_Imagery/MapServer/tile/{z}/{y}/{x}"
    CACHE STRING "Satellite imagery tile URL template ({z}, {x}, {y})")
set(ZELTRIN_TILE_LABELS_URL
    "https://server.arcgisonline.com/ArcGIS/rest/services/Reference/World_Boundaries_and_Places/MapServer/tile/{z}/{y}/{x}"
    CACHE STRING "Labels overlay tile URL template ({z}, {x}, {y}); empty for none")
set(ZELTRIN_TILE_ATTRIBUTION "Esri, Maxar, Earthstar Geographics"
    CACHE STRING "Attribution text the imagery provider requires")
set_source_files_properties(map/TileSources.cpp PROPERTIES COMPILE_DEFINITIONS
    "ZELTRIN_TILE_IMAGERY_URL=\"${ZELTRIN_TILE_IMAGERY_URL}\";ZELTRIN_TILE_LABELS_URL=\"${ZELTRIN_TILE_LABELS_URL}\";ZELTRIN_TILE_ATTRIBUTION=\"${ZELTRIN_TILE_ATTRIBUTION}\"")
