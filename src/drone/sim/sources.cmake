list(APPEND ZELTRIN_SOURCES
    drone/sim/FlightModel.h drone/sim/FlightModel.cpp
    drone/sim/SimClock.h drone/sim/SimClock.cpp
)
