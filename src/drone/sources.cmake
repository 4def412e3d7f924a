list(APPEND ZELTRIN_SOURCES
    drone/DroneTypes.h drone/DroneTypes.cpp
    drone/DJIDroneManager.h drone/DJIDroneManager.cpp
)
