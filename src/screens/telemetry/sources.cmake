list(APPEND ZELTRIN_SOURCES
    screens/telemetry/TelemetryModel.h screens/telemetry/TelemetryModel.cpp
)
list(APPEND ZELTRIN_QML
    screens/telemetry/TelemetryView.qml
    screens/telemetry/TelemetrySection.qml
    screens/telemetry/TelemetryRow.qml
)
