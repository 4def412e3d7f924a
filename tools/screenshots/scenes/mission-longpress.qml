import QtQuick
import Zeltrin

// Waypoints placed by press-and-hold where the finger was, and the undo tool that takes each back.
Item {
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            plan.mapLongPressed(43.004, -84.010)
            plan.mapLongPressed(43.010, -83.998)
            plan.mapLongPressed(42.998, -83.990)
        }
    }
}
