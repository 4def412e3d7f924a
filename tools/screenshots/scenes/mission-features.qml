import QtQuick
import Zeltrin

// Both mission features on: both banners, terrain first.
Item {
    FlightPlanView {
        anchors.fill: parent
        Component.onCompleted: {
            plan.addWaypoint()
            plan.addWaypoint()
            plan.terrainFollowEnabled = true
            plan.multiBatteryEnabled = true
        }
    }
}
