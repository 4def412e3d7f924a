import QtQuick
import Zeltrin

// The Plan menu dropped down from the navigation bar, over a plan with a few waypoints.
Item {
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 4; ++i)
                plan.addWaypoint()
        }
    }
    Timer {
        interval: 200
        running: true
        onTriggered: screen.planMenu.open()
    }
}
