import QtQuick
import Zeltrin

// A newcomer's planner with no network and nothing downloaded: no imagery is drawn, so no credit
// shows, and the map says once that imagery cannot be reached and how to have it offline.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            map.labelsUrlTemplate = ""
            map.attribution = "Imagery credit"
            // A port nothing listens on: every fetch is refused, as with the network gone.
            map.imageryUrlTemplate = "http://127.0.0.1:9/{z}/{x}/{y}.png"
        }
    }
}
