import QtQuick
import Zeltrin

// "Max Altitude" at 60 m and a plan at 120 m: the aircraft refuses the upload, the panel says
// why, the plan stays and nothing flies.
Item {
    property int settleMs: 600
    FlightPlanView {
        anchors.fill: parent
        Component.onCompleted: {
            tour.simConnect()
            App.droneManager.setAltitudeCeiling(60)
            for (let i = 0; i < 4; ++i)
                plan.addWaypoint()
            plan.missionAltitude = 120
            // The upload step without its wait: the answer decides when it ends.
            plan.uploadDurationMs = 0
            plan.executeMission()
            tour.simFly(1)
        }
    }
}
