import QtQuick
import Zeltrin

// The 3D preview while the animation plays: slider disabled at 1, aircraft on its sweep.
Item {
    property int settleMs: 2600
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
        onTriggered: view.previewSheet.sheetItem.preview.togglePlayback()
    }
}
