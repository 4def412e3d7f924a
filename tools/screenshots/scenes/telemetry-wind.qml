import QtQuick
import Zeltrin

// The telemetry read-out of a hovering aircraft with its wind estimate, set to 5.4 m/s from
// 250° and drifting as the simulated wind does. Scrolled to the wind rows on a small screen.
TelemetryView {
    property int settleMs: 900
    Timer {
        interval: 300
        running: true
        onTriggered: tour.scrollIntoView("windSpeedRow")
    }
    Component.onCompleted: {
        tour.simConnect()
        tour.simWind(5.4, 250)
        App.droneManager.takeOff()
        tour.simFly(8)
    }
}
