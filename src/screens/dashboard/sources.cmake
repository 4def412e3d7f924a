list(APPEND ZELTRIN_SOURCES
    screens/dashboard/DashboardModel.h screens/dashboard/DashboardModel.cpp
    screens/dashboard/DroneNoticeModel.h screens/dashboard/DroneNoticeModel.cpp
    screens/dashboard/PreflightChecklistModel.h screens/dashboard/PreflightChecklistModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/dashboard/DashboardView.qml
    screens/dashboard/AircraftStatusCard.qml
    screens/dashboard/DroneStatItem.qml
    screens/dashboard/TelemetryGridCard.qml
    screens/dashboard/TelemetryCell.qml
    screens/dashboard/QuickActionsCard.qml
    screens/dashboard/QuickActionButton.qml
    screens/dashboard/FlightModesCard.qml
    screens/dashboard/CardHeading.qml
    screens/dashboard/HoldToConfirmButton.qml
    screens/dashboard/PreflightChecklistSheet.qml
    screens/dashboard/ChecklistRow.qml
)
