# Offline maps: areas kept as an MBTiles pack, their download, and packs opened from elsewhere.
list(APPEND ZELTRIN_SOURCES
    offline/TileRange.h offline/TileRange.cpp
    offline/OfflineStore.h offline/OfflineStore.cpp offline/OfflinePackImport.cpp
    offline/AreaDownload.h offline/AreaDownload.cpp
    offline/OfflineAreaListModel.h offline/OfflineAreaListModel.cpp
    offline/OfflineMaps.h offline/OfflineMaps.cpp
)
