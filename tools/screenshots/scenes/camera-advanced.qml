import QtQuick
import Zeltrin

// The advanced camera controls as opened from a fresh camera screen.
Item {
    CameraModel { id: cam }
    AdvancedCameraControlsSheet {
        anchors.fill: parent
        camera: cam
    }
}
