import QtQuick
import Zeltrin

// Three waypoints with the third selected: dashed path, 3D and trash tools shown.
Item {
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 3; ++i)
                plan.addWaypoint()
            plan.selectWaypoint(2)
        }
    }
}
