# Flight plan files: the plan type and one reader/writer per format. KMZ unzips with libzip.
list(APPEND ZELTRIN_SOURCES
    mission/io/MissionPlan.h mission/io/PlanChecks.h
    mission/io/PlanFormats.h mission/io/PlanFormats.cpp
    mission/io/QgcPlanFormat.cpp mission/io/WaypointListFormat.cpp
    mission/io/KmlFormat.cpp mission/io/KmzFormat.cpp mission/io/GeoJsonFormat.cpp
)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
list(APPEND ZELTRIN_LINK PkgConfig::LIBZIP)
