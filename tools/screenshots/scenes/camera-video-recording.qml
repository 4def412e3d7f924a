import QtQuick
import Zeltrin

// Video mode while recording, with a few exposure changes.
Item {
    CameraView {
        id: view
        anchors.fill: parent
    }
    Component.onCompleted: {
        tour.sdk.connectAircraft("Zeltrin Sim One")
        view.model.isPhotoMode = false
        view.model.iso = 800
        view.model.shutterIndex = 6
        view.model.gimbalPitch = -45
        view.model.toggleRecording()
    }
}
