import QtQuick
import Zeltrin

// The advanced camera controls opened from a fresh camera screen.
Item {
    property int settleMs: 1400
    CameraView {
        id: view
        anchors.fill: parent
    }
    Component.onCompleted: view.model.showAdvancedControls = true
}
