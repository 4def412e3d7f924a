import QtQuick
import Zeltrin

// The waypoint list at its medium detent, the second waypoint selected.
Item {
    property int settleMs: 1200
    FlightPlanView {
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 5; ++i)
                plan.addWaypoint()
            plan.selectWaypoint(1)
            plan.showWaypointList = true
        }
    }
}
