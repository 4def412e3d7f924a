import QtQuick
import Zeltrin

// Waypoints placed by press-and-hold where the finger was, the second one dragged away from where
// it was placed (the path follows it), and the undo tool that takes each gesture back.
Item {
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            plan.mapLongPressed(42.999, -84.008)
            plan.mapLongPressed(42.998, -84.000)
            plan.mapLongPressed(42.997, -83.993)
            plan.startWaypointMove(1)
            plan.moveWaypoint(1, 43.001, -84.001)
            plan.moveWaypoint(1, 43.0025, -84.0015)
        }
    }
}
