import QtQuick
import Zeltrin

// The "Survey Area" tool on a field of about 12 ha: its corners (the last one selected), the
// lines, the photo footprints coloured by their GSD, and the survey's figures at 2 cm/px.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            map.labelsUrlTemplate = ""
            map.imageryUrlTemplate = typeof tour !== "undefined" ? tour.tileUrlTemplate : ""
        }
    }
    Timer {
        interval: 50
        running: true
        onTriggered: {
            const s = screen.survey
            s.begin()
            s.groundSampleDistance = 2.0
            s.gridAngle = 20
            s.addCorner(47.3700, 8.5300)
            s.addCorner(47.3705, 8.5345)
            s.addCorner(47.3732, 8.5352)
            s.addCorner(47.3738, 8.5310)
            screen.showBounds(47.3690, 8.5285, 47.3748, 8.5367)
        }
    }
}
