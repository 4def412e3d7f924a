list(APPEND ZELTRIN_SOURCES
    screens/logbook/FlightLogModel.h screens/logbook/FlightLogModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/logbook/FlightLogView.qml
    screens/logbook/FlightLogRow.qml
    screens/logbook/LogStat.qml
    screens/logbook/AdvancedAnalyticsSheet.qml
    screens/logbook/AnalyticsStatCard.qml
    screens/logbook/PerformanceMetricRow.qml
    screens/logbook/TrendCard.qml
)
