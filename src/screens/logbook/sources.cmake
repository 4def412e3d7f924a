list(APPEND ZELTRIN_SOURCES
    screens/logbook/FlightLogModel.h screens/logbook/FlightLogModel.cpp
    screens/logbook/FlightAnalyticsModel.h screens/logbook/FlightAnalyticsModel.cpp
    screens/logbook/FlightRowsModel.h screens/logbook/FlightRowsModel.cpp
    screens/logbook/FlightDetailModel.h screens/logbook/FlightDetailModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/logbook/FlightLogView.qml
    screens/logbook/FlightLogRow.qml
    screens/logbook/FlightDetailView.qml
    screens/logbook/FlightChartCard.qml
    screens/logbook/LogStat.qml
    screens/logbook/AdvancedAnalyticsSheet.qml
    screens/logbook/AnalyticsStatCard.qml
    screens/logbook/PerformanceMetricRow.qml
    screens/logbook/TrendCard.qml
)
