#pragma once

#include <optional>

// What an aircraft's SDK tells of its battery (the capacity it reports its charge against) and the
// app's model of how fast a flight drains it: a hover's drain, plus so much per m/s of ground speed
// and per m/s of vertical speed. The simulated aircraft's figures are its flight model's.
struct AircraftEnergyModel {
    double capacity = 100.0;  // a full pack, in the unit the charge is reported in (%)
    double hoverDrain = 0.0;  // capacity units per second in a hover
    double speedDrain = 0.0;  // more per second for each m/s of ground speed
    double climbDrain = 0.0;  // more per second for each m/s of vertical speed, up or down
    double climbRate = 0.0;   // m/s the aircraft climbs at
    double descentRate = 0.0; // m/s it comes down to land at
    double maxSpeed = 0.0;    // m/s: faster is flown at this

    // The simulated aircraft's (FlightModel's) figures.
    static AircraftEnergyModel simulated();
};

// A flight as the estimate sees it: level distance at one speed, the climb to and the descent
// from its height, and the time spent hovering or turning on the spot.
struct FlightEnergyDemand {
    double distance = 0.0;     // m flown level
    double speed = 0.0;        // m/s
    double climb = 0.0;        // m
    double descent = 0.0;      // m
    double hoverSeconds = 0.0; // s
};

// Kept in every pack on landing: the simulated aircraft turns home by itself at this charge, so a
// plan that dips below it is cut short in flight.
constexpr double kDefaultBatteryReserve = 25.0; // %

// Percent of a full pack the flight uses (above 100 for a flight one pack cannot fly). None when
// a figure is negative or not finite, or there is distance to fly at no speed: unknown, not zero.
std::optional<double> batteryShare(const AircraftEnergyModel &model, const FlightEnergyDemand &flight);

// Packs the flight needs when each lands with `reservePercent` left (0 to 95); the trips home to
// change packs are not counted. None when the share is unknown or the reserve out of range.
std::optional<int> batteriesNeeded(const AircraftEnergyModel &model, const FlightEnergyDemand &flight,
                                   double reservePercent = kDefaultBatteryReserve);
