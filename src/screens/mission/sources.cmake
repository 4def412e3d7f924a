list(APPEND ZELTRIN_SOURCES
    screens/mission/WaypointListModel.h screens/mission/WaypointListModel.cpp
    screens/mission/CinematicShot.h screens/mission/CinematicShot.cpp
    screens/mission/FlightPlanModel.h screens/mission/FlightPlanModel.cpp
    screens/mission/Mission3DPreviewModel.h screens/mission/Mission3DPreviewModel.cpp
)
