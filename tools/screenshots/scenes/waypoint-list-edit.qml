import QtQuick
import Zeltrin

// The waypoint list in edit mode: delete controls and move handles.
Item {
    property int settleMs: 1400
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 5; ++i)
                plan.addWaypoint()
            plan.showWaypointList = true
        }
    }
    Timer {
        interval: 300
        running: true
        onTriggered: view.waypointListSheet.sheetItem.editing = true
    }
}
