import QtQuick
import Zeltrin

DashboardView {
    id: view
    property int settleMs: 1400
    // Shows the bottom of the sheet, where the running mode's stop control sits.
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
        tour.sdk.connectAircraft("Zeltrin Sim One")
        tour.setFlightData({ latitude: 47.3977419, longitude: 8.5455938 })
        model.orbitEnabled = true
        model.openOrbit()
    }
}
