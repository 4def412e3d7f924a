# Flight records: the logbook's data, its store, the place names and the export formats.
list(APPEND ZELTRIN_SOURCES
    records/FlightLog.h records/FlightLog.cpp
    records/FlightRecord.h records/FlightRecord.cpp
    records/FlightExport.h records/FlightExport.cpp
)
list(APPEND ZELTRIN_SOURCES
    records/FlightStore.h records/FlightStore.cpp
    records/Gazetteer.h records/Gazetteer.cpp
    records/SqliteFile.h records/SqliteFile.cpp
)
