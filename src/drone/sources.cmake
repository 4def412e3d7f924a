list(APPEND ZELTRIN_SOURCES
    drone/DroneTypes.h drone/DroneTypes.cpp
    drone/DJIDroneManager.h drone/DJIDroneManager.cpp
    drone/FlightRecorder.h drone/FlightRecorder.cpp
)
