#pragma once

#include "Coordinate.h"

#include <QObject>

#include <optional>
#include <variant>

// The intelligent flight modes and the settings each one is started with. A mode's settings
// are one struct, so the compiler checks every field from the sheet that sets it to the
// aircraft that flies it.

// The enumeration of the modes. The class exists only to carry the names to QML
// (src/app/AppForeignTypes.h); nothing creates one.
class DJIIntelligentModes : public QObject
{
    Q_OBJECT
public:
    enum class Mode { pointOfInterest, orbit, smartReturnToHome, geofence, activeTrack };
    Q_ENUM(Mode)
};
using DJIIntelligentMode = DJIIntelligentModes::Mode;

enum class DJICircleDirection { clockwise, counterclockwise };
enum class DJIActiveTrackMode { trace, profile, spotlight };

// The initial values are the sheets' own.
struct DJIPointOfInterestSettings {
    std::optional<zeltrin::Coordinate> target; // none: the point under the aircraft
    double radius = 20;                        // metres
    double altitude = 30;                      // metres above the take-off point
    double speed = 3;                          // metres per second
    DJICircleDirection direction = DJICircleDirection::clockwise;
    bool operator==(const DJIPointOfInterestSettings &) const = default;
};

struct DJIOrbitSettings {
    double radius = 30; // metres
    double speed = 5;   // the sheet's rotation speed
    bool maintainAltitude = true;
    bool operator==(const DJIOrbitSettings &) const = default;
};

struct DJISmartReturnSettings {
    double batteryThreshold = 25;  // % of charge that starts the return
    double reservePercentage = 15; // % kept in reserve
    bool includeWindCalculation = true;
    bool operator==(const DJISmartReturnSettings &) const = default;
};

struct DJIGeofenceSettings {
    double radius = 500; // metres around the home point
    bool autoReturn = true;
    bool alertWhenNear = true;
    bool operator==(const DJIGeofenceSettings &) const = default;
};

struct DJIActiveTrackSettings {
    DJIActiveTrackMode mode = DJIActiveTrackMode::trace;
    double speed = 5;     // metres per second
    double distance = 10; // metres from the subject
    bool obstacleAvoidance = true;
    bool operator==(const DJIActiveTrackSettings &) const = default;
};

// One mode's settings; which alternative it holds says which mode they are for. The order of
// the alternatives is the order of DJIIntelligentMode.
using DJIModeSettings = std::variant<DJIPointOfInterestSettings, DJIOrbitSettings, DJISmartReturnSettings,
                                     DJIGeofenceSettings, DJIActiveTrackSettings>;

inline DJIIntelligentMode modeOf(const DJIModeSettings &settings)
{
    return DJIIntelligentMode(settings.index());
}

static_assert(std::variant_size_v<DJIModeSettings> == 5);
template<DJIIntelligentMode M, typename Settings>
constexpr bool alternativeIs = std::is_same_v<std::variant_alternative_t<size_t(M), DJIModeSettings>, Settings>;
static_assert(
    alternativeIs<
        DJIIntelligentMode::pointOfInterest,
        DJIPointOfInterestSettings> && alternativeIs<DJIIntelligentMode::orbit, DJIOrbitSettings> && alternativeIs<DJIIntelligentMode::smartReturnToHome, DJISmartReturnSettings> && alternativeIs<DJIIntelligentMode::geofence, DJIGeofenceSettings> && alternativeIs<DJIIntelligentMode::activeTrack, DJIActiveTrackSettings>);

// A mode's settings at their initial values.
DJIModeSettings defaultSettings(DJIIntelligentMode mode);
