import QtQuick
import Zeltrin

// Going home: the aircraft 600 m out, 25 s after "RTH", climbing then flying back.
DashboardView {
    property int settleMs: 500
    Component.onCompleted: {
        tour.simConnect()
        App.droneManager.executeMission([{ latitude: 47.4031, longitude: 8.5456 }], 40, 12)
        tour.simFly(70)
        App.droneManager.returnToHome()
        tour.simFly(25)
    }
}
