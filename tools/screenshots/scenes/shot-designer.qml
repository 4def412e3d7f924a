import QtQuick
import Zeltrin

// The shot designer with Helix chosen.
Item {
    property int settleMs: 1200
    FlightPlanView {
        anchors.fill: parent
        Component.onCompleted: {
            plan.shotDesignerSettings.selectedShot = 2
            plan.showShotDesigner = true
        }
    }
}
