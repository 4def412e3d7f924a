import QtQuick
import Zeltrin

// The advanced camera controls after changes: Manual Focus, D-Log, f/4.0, 6500K.
Item {
    CameraModel {
        id: cam
        Component.onCompleted: {
            focusModeIndex = 1
            colorProfileIndex = 1
            aperture = 4.0
            whiteBalance = 6500
            exposureCompensation = -0.3
        }
    }
    AdvancedCameraControlsSheet {
        anchors.fill: parent
        camera: cam
    }
}
