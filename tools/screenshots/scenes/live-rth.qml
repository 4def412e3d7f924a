import QtQuick
import Zeltrin

// Going home: the aircraft 600 m out, 25 s after "RTH", climbing then flying back.
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        tour.simMission([{ latitude: 43.0040, longitude: -84.0021 }], 40, 12)
        tour.simFly(70)
        App.droneManager.returnToHome()
        tour.simFly(25)
    }
}
