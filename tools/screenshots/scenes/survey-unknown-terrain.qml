import QtQuick
import Zeltrin

// The same field, where the elevation model has a hole: the legs over it in the warning colour,
// their footprints grey, the banner saying why terrain follow cannot be flown, and the upload
// refused with the first waypoint whose leg crosses the hole.
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
            const s = screen.survey
            s.begin()
            s.height = 60
            s.gridAngle = 0
            s.addCorner(42.9975, -84.0035)
            s.addCorner(42.9975, -83.9965)
            s.addCorner(43.0025, -83.9965)
            s.addCorner(43.0025, -84.0035)
            s.finish()
            screen.plan.terrainFollowEnabled = true
            screen.showBounds(42.9965, -84.0045, 43.0035, -83.9955)
            refuse.start()
        }
    }
    Timer {
        id: refuse
        interval: 100
        onTriggered: screen.plan.executeMission()
    }
}
