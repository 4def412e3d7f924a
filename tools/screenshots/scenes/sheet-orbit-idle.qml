import QtQuick
import Zeltrin

DashboardView {
    property int settleMs: 1200
    Component.onCompleted: {
        tour.sdk.connectAircraft("Zeltrin Sim One")
        tour.setFlightData({ latitude: 47.3977419, longitude: 8.5455938 })
        model.openOrbit()
    }
}
