import QtQuick
import Zeltrin

// The survey of three batteries uploaded with Multi-Battery on and its first part flown by the
// simulated aircraft, home and down: the dashboard asks for a fresh pack before part 2.
Item {
    property int settleMs: 2500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    DashboardView {
        anchors.fill: parent
    }
    // The planner that uploads the survey, out of sight.
    FlightPlanView {
        id: planner
        visible: false
        width: 390
        height: 844
    }
    Timer {
        interval: 50
        running: true
        onTriggered: {
            tour.simConnect()
            tour.simBattery(100)
            const s = planner.survey
            s.begin()
            s.height = 100
            s.gridAngle = 90
            s.addCorner(42.99685, -84.0055)
            s.addCorner(42.99685, -83.9945)
            s.addCorner(43.00315, -83.9945)
            s.addCorner(43.00315, -84.0055)
            s.finish()
            planner.plan.multiBatteryEnabled = true
            planner.plan.uploadDurationMs = 10
            planner.plan.executeMission()
            fly.start()
        }
    }
    Timer {
        id: fly
        interval: 400
        onTriggered: tour.simFly(2400)
    }
}
