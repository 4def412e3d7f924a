import QtQuick
import Zeltrin

// The 3D preview of four waypoints with the progress slider at 0.5: dots 0 to 2 solid.
Item {
    property int settleMs: 1400
    FlightPlanView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 4; ++i)
                plan.addWaypoint()
            plan.show3DPreview = true
        }
    }
    Timer {
        interval: 300
        running: true
        onTriggered: view.previewSheet.sheetItem.preview.animationProgress = 0.5
    }
}
