#pragma once

#include "DJIIntelligentModes.h"

#include <optional>

// What the flight home costs: the return-to-home sheet shows it and the aircraft's battery-aware
// return acts on it, both through estimateReturn(), so the figure the pilot reads is the one the
// aircraft turns home at.

// How an aircraft flies home and what flying costs it, as the aircraft reports it. The return
// climbs straight up to `returnHeight` (or stays higher), flies straight home at `homeSpeed`,
// then lands at `landingRate`. The battery drains, in percent per second, by `hoverDrain` plus
// `airspeedDrain` per m/s of speed through the air plus `climbDrain` per m/s of vertical speed.
struct DJIReturnProfile {
    double homeSpeed = 10;             // m/s over the ground
    double horizontalAcceleration = 4; // m/s²
    double returnHeight = 30;          // m above the home point
    double climbRate = 5;              // m/s
    double landingRate = 1.5;          // m/s
    double verticalAcceleration = 3;   // m/s²
    double hoverDrain = 0.065;         // %/s
    double airspeedDrain = 0.004;      // %/s per m/s
    double climbDrain = 0.01;          // %/s per m/s
    bool operator==(const DJIReturnProfile &) const = default;
};

// The wind as autopilots report it: its speed, and the direction it blows from (degrees
// clockwise from north; a wind from the south is 180).
struct DJIWindEstimate {
    double speed = 0;         // m/s
    double directionFrom = 0; // degrees
    bool operator==(const DJIWindEstimate &) const = default;
};

// Where the aircraft is, as far as its way home goes.
struct DJIReturnPosition {
    bool isFlying = false;
    double distance = 0;    // m from the home point, over the ground
    double height = 0;      // m above the home point
    double groundSpeed = 0; // m/s: stopped before it turns for home
    // Direction from the aircraft to its home point (degrees from north); none when unknown, and
    // then the wind is taken as a full headwind.
    std::optional<double> courseHome;
    std::optional<DJIWindEstimate> wind;
};

struct DJIReturnEstimate {
    double seconds = 0;       // from now until landed at home
    double flightBattery = 0; // % the flight home uses
    double battery = 0;       // % the return needs: the flight plus the reserve
};

// The flight home under `settings` (its reserve; the wind only with includeWindCalculation).
// An aircraft on the ground needs nothing but the reserve. None when the distance or the height
// is not a number: an unknown way home has no cost. A wind or speed that is not a finite number
// counts as none; a reserve that is not one, as 0.
std::optional<DJIReturnEstimate> estimateReturn(const DJIReturnProfile &profile, const DJIReturnPosition &at,
                                                const DJISmartReturnSettings &settings);

// Initial great-circle course from one point to another, degrees from north in [0, 360).
double courseBetween(double fromLatitude, double fromLongitude, double toLatitude, double toLongitude);
