import QtQuick
import Zeltrin

DashboardView {
    property int settleMs: 900
    Component.onCompleted: {
        tour.sdk.connectAircraft("Zeltrin Sim One")
        tour.setBattery(19, 14.62, 41.5, 143, 312)
        tour.setSignal(39, 1)
        tour.setFlying(true)
        tour.setFlightData({ altitude: 48.63, groundSpeed: 7.34, verticalSpeed: -0.5, heading: 359.6,
                             latitude: 47.3977419, longitude: 8.5455938, distanceFromHome: 412.4,
                             flightTime: 754.9, motorsOn: true })
        model.activeTrackEnabled = true
    }
}
