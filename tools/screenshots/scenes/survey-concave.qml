import QtQuick
import Zeltrin

// An L-shaped area: no line crosses the notch, and the footprints reach every edge.
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
            s.height = 60
            s.addCorner(47.3700, 8.5300)
            s.addCorner(47.3700, 8.5360)
            s.addCorner(47.3715, 8.5360)
            s.addCorner(47.3715, 8.5320)
            s.addCorner(47.3745, 8.5320)
            s.addCorner(47.3745, 8.5300)
            s.selectedCorner = -1
            screen.showBounds(47.3692, 8.5290, 47.3752, 8.5370)
        }
    }
}
