import QtQuick
import Zeltrin

// The waypoint list with Multi-Battery on, the simulated aircraft connected: eight waypoints round a
// square of about 1.6 km, twice, and the rows where the second and later batteries start their work.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
    }
    Timer {
        interval: 50
        running: true
        onTriggered: {
            tour.simConnect()
            const points = [[43.007, -84.010], [43.007, -83.990], [42.993, -83.990], [42.993, -84.010],
                            [43.007, -84.010], [43.007, -83.990], [42.993, -83.990], [42.993, -84.010]]
            for (const p of points)
                screen.plan.mapLongPressed(p[0], p[1])
            screen.plan.multiBatteryEnabled = true
            screen.plan.showWaypointList = true
        }
    }
}
