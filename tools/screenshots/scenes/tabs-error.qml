import QtQuick
import Zeltrin

MainTabView {
    property int settleMs: 600
    Component.onCompleted: {
        tour.setBattery(76, 15.6, 31, 12, 1260)
        tour.setFlightData({ altitude: 12.6 })
        App.droneManager.connectionState = 3
    }
}
