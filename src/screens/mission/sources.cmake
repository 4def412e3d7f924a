list(APPEND ZELTRIN_SOURCES
    screens/mission/WaypointListModel.h screens/mission/WaypointListModel.cpp
    screens/mission/CinematicShot.h screens/mission/CinematicShot.cpp
    screens/mission/FlightPlanModel.h screens/mission/FlightPlanModel.cpp screens/mission/FlightPlanGestures.cpp
    screens/mission/FlightPlanGround.cpp
    screens/mission/Mission3DPreviewModel.h screens/mission/Mission3DPreviewModel.cpp
    screens/mission/PreviewDotsItem.h screens/mission/PreviewDotsItem.cpp
    screens/mission/AreaSelectModel.h screens/mission/AreaSelectModel.cpp
    screens/mission/PlanLibraryModel.h screens/mission/PlanLibraryModel.cpp
    screens/mission/PlanNameForm.h screens/mission/PlanNameForm.cpp
    screens/mission/PlanOutlineItem.h screens/mission/PlanOutlineItem.cpp
    screens/mission/SurveyEditModel.h screens/mission/SurveyEditModel.cpp
    screens/mission/MissionTerrain.h screens/mission/MissionTerrain.cpp
    screens/mission/MissionBatteries.h screens/mission/MissionBatteries.cpp
    screens/mission/BatteryMarks.h screens/mission/BatteryMarks.cpp
    screens/mission/PaintedMapMarks.h screens/mission/PaintedMapMarks.cpp
    screens/mission/UnknownGroundLegs.h screens/mission/UnknownGroundLegs.cpp
)
list(APPEND ZELTRIN_QML
    screens/mission/FlightPlanView.qml
    screens/mission/ClearanceProfileCard.qml
    screens/mission/MapToolButton.qml
    screens/mission/MissionControlPanel.qml
    screens/mission/MissionProgressRow.qml
    screens/mission/MissionSlider.qml
    screens/mission/FeatureToggleButton.qml
    screens/mission/FeatureActionButton.qml
    screens/mission/SheetTextButton.qml
    screens/mission/WaypointListSheet.qml
    screens/mission/ShotDesignerSheet.qml
    screens/mission/ShotOptionCard.qml
    screens/mission/ShotSettingSlider.qml
    screens/mission/Mission3DPreviewSheet.qml
    screens/mission/Preview3DStatCard.qml
    screens/mission/PreviewToggleButton.qml
    screens/mission/PlanMenu.qml
    screens/mission/PlanFileBanner.qml
    screens/mission/MapOfflineNotice.qml
    screens/mission/PanelGrabber.qml
    screens/mission/PlanLibrarySheet.qml
    screens/mission/PlanNameSheet.qml
    screens/mission/OfflineAreaCard.qml
    screens/mission/DownloadProgressMark.qml
    screens/mission/SurveyEditor.qml
    screens/mission/SurveyPanel.qml
)
