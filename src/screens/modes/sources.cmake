list(APPEND ZELTRIN_SOURCES
    screens/modes/ModeTypes.h screens/modes/ModeTypes.cpp
    screens/modes/FlightModeLink.h screens/modes/FlightModeLink.cpp
    screens/modes/FeatureSheetModel.h screens/modes/FeatureSheetModel.cpp
    screens/modes/POISheetModel.h screens/modes/POISheetModel.cpp
    screens/modes/OrbitSheetModel.h screens/modes/OrbitSheetModel.cpp
    screens/modes/RTHSheetModel.h screens/modes/RTHSheetModel.cpp
    screens/modes/GeofenceSheetModel.h screens/modes/GeofenceSheetModel.cpp
    screens/modes/ActiveTrackSheetModel.h screens/modes/ActiveTrackSheetModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/modes/FeatureSheetFrame.qml
    screens/modes/FeatureSection.qml
    screens/modes/FeatureSlider.qml
    screens/modes/TrackSettingSlider.qml
    screens/modes/ModeActionButton.qml
    screens/modes/ModeStartStopButton.qml
    screens/modes/ModeToggleCard.qml
    screens/modes/EnableToggleCard.qml
    screens/modes/RTHStatCard.qml
    screens/modes/TrackingModeCard.qml
    screens/modes/POISheet.qml
    screens/modes/OrbitModeSheet.qml
    screens/modes/IntelligentRTHSheet.qml
    screens/modes/CustomGeofenceSheet.qml
    screens/modes/ActiveTrackSheet.qml
)
