#pragma once

#include "AircraftEnergyModel.h"
#include "SurveySettings.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

// Planning a mapping survey: parallel photo lines over a polygon on flat ground, the photos and
// their footprints, the flight path in order and its figures. One call plans it from scratch,
// cheaply enough to run on every drag of a corner (a 1,000 ha area in about 6 ms of CPU), and it
// shares nothing, so it may also run on a worker thread.
namespace zeltrin::survey {

// Each turn of more than 30° on the path counts this long: the simulated aircraft stops on a
// waypoint and starts again at 4 m/s² (2 to 4 s at the planner's 8 to 15 m/s) and turns its nose
// half round at 120 °/s (1.5 s) meanwhile; 3 s is the round figure.
constexpr double kTurnAllowance = 3.0; // s
constexpr double kTurnAngle = 30.0;    // °
// Beyond this many photos (a very low height over a large area) nothing is planned.
constexpr int kMaxPhotos = 100000;
// The widest area planned, so the local plane stays true (see LocalPlane).
constexpr double kMaxExtent = 20000.0; // m

// How the survey is flown, beside what it covers.
struct SurveyFlightSettings {
    double speed = 8.0;                // m/s, 1 to 15
    std::optional<Coordinate> takeOff; // with it, the legs to the first and from the last waypoint count
    AircraftEnergyModel energy = AircraftEnergyModel::simulated();
    double batteryReserve = kDefaultBatteryReserve; // % left in each pack on landing
};

struct SurveyWaypoint {
    enum class Role {
        Approach,  // the turnaround before a line: the aircraft lines up here
        LineStart, // camera on: a photo here and one every trigger distance after
        LineEnd,   // camera off after the photo here
        Overshoot, // the turnaround after a line
        Transit,   // a corner of the way from one line to the next inside the area
    };
    Coordinate position;
    Role role = Role::Transit;
    friend bool operator==(const SurveyWaypoint &, const SurveyWaypoint &) = default;
};

struct SurveyPhoto {
    Coordinate centre;
    double heading = 0.0; // ° the aircraft flies as it takes it: the image's top edge faces this way
    // The ground it covers on flat ground: front left, front right, back right, back left.
    std::array<Coordinate, 4> footprint{};
    double gsdAcross = 0.0; // cm/px
    double gsdAlong = 0.0;  // cm/px
    int run = 0;            // its photo run (SurveyFlight::runs)
    int pass = 0;           // 0, or 1 for the crosshatch pass
};

struct SurveyFigures {
    ImageGeometry image;
    double area = 0.0; // m² inside the polygon
    int lineCount = 0; // lines with photos, both passes (a line cut in two by a notch counts once)
    int photoCount = 0;
    double distance = 0.0;   // m along the path (from and back to the take-off point when given)
    int turnCount = 0;       // corners of more than kTurnAngle on that path
    double flightTime = 0.0; // s: distance at the speed, plus kTurnAllowance per turn
    // Climb to the height and descent from it, at the aircraft's rates, come on top.
    std::optional<double> batteryShare; // % of one full pack
    std::optional<int> batteryCount;    // packs, each landing with the reserve left
    // Transits that leave the area grown by the edge margin and the turnaround (see planSurvey),
    // where no way round inside it was found. 0 in every shape tried.
    int transitsLeavingArea = 0;
};

struct SurveyFlight {
    QString error;                   // why nothing was planned; empty when planned
    QList<SurveyWaypoint> waypoints; // in flight order
    QList<PhotoRun> runs;            // each photo line's LineStart and LineEnd waypoint, in flight order
    QList<SurveyPhoto> photos;       // in the order taken
    SurveyFigures figures;
    bool ok() const { return error.isEmpty(); }
};

// Plans the survey. Lines run at the grid angle, one line spacing apart, as many as cover the
// area's extent across them (rounded up, the outer ones at most half a spacing inside it). Each
// line is cut to the stretches where the area lies within half a spacing of it, so the photos'
// footprints reach every edge, and a line crossing a notch wider than a spacing is flown as
// separate photo runs. On a run the photos are centred, one trigger distance apart, the first and
// last footprints reaching its ends. Runs are flown nearest first, each entered from the nearer
// end, with the turnaround before and after it; the way from one run to the next goes straight
// when that stays inside the area grown by half a spacing and the turnaround distance, else round
// the area's concave corners by the shortest such way.
SurveyFlight planSurvey(const SurveySettings &spec, const SurveyFlightSettings &settings = {});

} // namespace zeltrin::survey
