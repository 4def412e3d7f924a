import QtQuick
import Zeltrin

// A 900 × 700 m survey at 100 m with Multi-Battery on, the simulated aircraft connected (its
// figures for flying and getting home give the split): the marks where the second and third
// batteries start their work, at line ends.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
    }
    Timer {
        interval: 50
        running: true
        onTriggered: {
            tour.simConnect()
            const s = screen.survey
            s.begin()
            s.height = 100
            s.gridAngle = 90
            s.addCorner(42.99685, -84.0055)
            s.addCorner(42.99685, -83.9945)
            s.addCorner(43.00315, -83.9945)
            s.addCorner(43.00315, -84.0055)
            s.finish()
            screen.plan.multiBatteryEnabled = true
            screen.showBounds(42.9960, -84.0065, 43.0040, -83.9935)
        }
    }
}
