import QtQuick
import Zeltrin

// The camera screen as created, with an aircraft connected: the feed placeholder stays.
Item {
    CameraView { anchors.fill: parent }
    Component.onCompleted: tour.sdk.connectAircraft("Zeltrin Sim One")
}
