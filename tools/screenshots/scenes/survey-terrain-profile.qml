import QtQuick
import Zeltrin

// A field of about 30 ha over rolling hills (an elevation model imported from a GeoTIFF), flown
// 60 m over the ground with Terrain Follow on: the clearance profile under the banner, the ground
// and the planned path along the whole mission, the footprints laid on the hills.
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
        }
    }
}
