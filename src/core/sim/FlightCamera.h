#pragma once

#include <vector>

// The simulated aircraft's camera and gimbal. It takes single photos when told, and photos by
// distance: with the distance trigger on, one at once and another each time the aircraft has
// flown the trigger distance since the last, placed where along the path that distance was
// reached. It can be made to fail, so that photos it should take are not taken. It knows nothing
// of time: the flight model hands it where the aircraft is and how it has flown.
class FlightCamera
{
public:
    // Where the aircraft is and how it is turned: metres east and north of the home point, height
    // above it, heading in degrees, and seconds since take-off.
    struct Pose {
        double east = 0, north = 0;
        double height = 0;
        double heading = 0;
        double flightTime = 0;
    };
    // What a mission waypoint asks of the camera, in its order there.
    struct Action {
        enum class Kind { takePhoto, startDistance, stopDistance, gimbalPitch };
        Kind kind = Kind::takePhoto;
        double value = 0; // metres for startDistance, degrees for gimbalPitch
    };
    struct Photo {
        Pose pose;
        double gimbalPitch = 0;
        int index = 0; // 1 for the first photo of the flight
    };
    // A waypoint counts as reached this close to it; the trigger allows for it (see arrive()).
    static constexpr double kTolerance = 0.01; // m
    // A shorter trigger distance is not taken up.
    static constexpr double kMinTrigger = 0.1; // m

    // A photo now, or none while the camera fails. True when one was taken.
    bool takePhoto(const Pose &at);
    // The aircraft flew straight from `from` to `to`: the distance photos due on the way.
    void flown(const Pose &from, const Pose &to);
    // The aircraft reached a waypoint `gap` metres short of it: the photo due on the waypoint,
    // then its actions. Distance from here on is counted from the waypoint itself.
    void arrive(const std::vector<Action> &actions, const Pose &at, double gap);
    // The distance trigger goes off (the mission ends, the aircraft goes home or lands).
    void stopDistance() { m_trigger = 0; }
    bool distanceOn() const { return m_trigger > 0; }
    // Photos are numbered from 1 again (a take-off).
    void newFlight() { m_index = 0; }

    // Degrees, 0 level to -90 straight down; clamped to what the gimbal reaches (-90 to 30).
    void setGimbalPitch(double degrees);
    double gimbalPitch() const { return m_pitch; }
    // While failing, nothing is taken; the distance trigger keeps its count all the same.
    void setFailing(bool failing) { m_failing = failing; }
    bool failing() const { return m_failing; }

    // The photos taken since the last call, in order.
    std::vector<Photo> takePhotos();
    // Every photo taken, failed ones not counted.
    int taken() const { return m_taken; }
    // Every photo taken, as the card holds them, whether or not anyone heard of them.
    const std::vector<Photo> &card() const { return m_card; }

private:
    double m_trigger = 0; // metres between photos; 0 while off
    double m_since = 0;   // metres flown since the last photo by distance
    double m_pitch = 0;
    bool m_failing = false;
    int m_index = 0;
    int m_taken = 0;
    std::vector<Photo> m_photos;
    std::vector<Photo> m_card;
};
