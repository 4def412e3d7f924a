#pragma once

#include <QList>

#include <variant>

// A waypoint mission as the aircraft is handed it: per waypoint a position, a height with what
// it is measured from, and what the camera does there.

// What a waypoint's height is measured from.
enum class DJIHeightReference { aboveTakeOff, aboveGround, aboveSeaLevel };

// Camera actions at a waypoint, in the order the aircraft runs them on arrival.
struct DJITakePhoto {
    bool operator==(const DJITakePhoto &) const = default;
};
// Takes a photo here, and another every `metres` of flight from here on, until a stop.
struct DJIStartDistancePhotos {
    double metres = 0;
    bool operator==(const DJIStartDistancePhotos &) const = default;
};
struct DJIStopDistancePhotos {
    bool operator==(const DJIStopDistancePhotos &) const = default;
};
struct DJISetGimbalPitch {
    double degrees = 0; // 0 level, -90 straight down
    bool operator==(const DJISetGimbalPitch &) const = default;
};
using DJICameraAction = std::variant<DJITakePhoto, DJIStartDistancePhotos, DJIStopDistancePhotos, DJISetGimbalPitch>;

struct DJIWaypoint {
    double latitude = 0;
    double longitude = 0;
    double height = 50; // metres, measured from `heightReference`
    DJIHeightReference heightReference = DJIHeightReference::aboveTakeOff;
    QList<DJICameraAction> actions;
    bool operator==(const DJIWaypoint &) const = default;
};

struct DJIWaypointMission {
    QList<DJIWaypoint> waypoints;
    double speed = 8;           // metres per second, the whole mission
    bool terrainFollow = false; // the heights were planned over the ground; each leg is flown on its line
    bool multiBattery = false;  // flown a part at a time by the app
    bool goHomeAtEnd = false;   // the aircraft's finishing action: home and land, else hover
    bool operator==(const DJIWaypointMission &) const = default;
};
