import QtQuick
import Zeltrin

// During the two-second upload step.
Item {
    property int settleMs: 700
    FlightPlanView {
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 4; ++i)
                plan.addWaypoint()
            plan.executeMission()
        }
    }
}
