import QtQuick
import Zeltrin

// The advanced camera controls after changes (Manual Focus, D-Log, f/4.0, 6500K), scrolled so
// the focus mode, aperture, white balance and colour profile all show.
Item {
    property int settleMs: 1600
    CameraView {
        id: view
        anchors.fill: parent
    }
    Component.onCompleted: {
        const cam = view.model
        cam.focusModeIndex = 1
        cam.colorProfileIndex = 1
        cam.aperture = 4.0
        cam.whiteBalance = 6500
        cam.showAdvancedControls = true
    }
    Timer {
        interval: 100
        running: true
        onTriggered: view.advancedSheet.sheetItem.contentY = 240
    }
}
