import QtQuick
import Zeltrin

// The return sheet over a flying aircraft: on its way out with 6 m/s of wind from the
// south-south-west, the figures are its way home from where it is. Scrolled to the end, where
// the figures sit on a small screen.
DashboardView {
    id: view
    property int settleMs: 1400
    Timer {
        interval: 800
        running: true
        onTriggered: {
            const content = view.presentedSheetContent()
            if (content)
                content.scrollToEnd()
        }
    }
    Component.onCompleted: {
        tour.simConnect()
        tour.simWind(6, 200)
        tour.simMission([{ latitude: 43.0066, longitude: -84.0021 }], 50, 10)
        tour.simFly(80)
        model.openRTH()
    }
}
