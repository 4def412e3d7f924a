#include "DJIIntelligentModes.h"

DJIModeSettings defaultSettings(DJIIntelligentMode mode)
{
    switch (mode) {
    case DJIIntelligentMode::pointOfInterest: return DJIPointOfInterestSettings{};
    case DJIIntelligentMode::orbit: return DJIOrbitSettings{};
    case DJIIntelligentMode::smartReturnToHome: return DJISmartReturnSettings{};
    case DJIIntelligentMode::geofence: return DJIGeofenceSettings{};
    case DJIIntelligentMode::activeTrack: return DJIActiveTrackSettings{};
    }
    return DJIPointOfInterestSettings{};
}
