import QtQuick
import Zeltrin

// "Save…": the plan on the map named in the app, the name typed.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 5; ++i)
                plan.addWaypoint()
            screen.saveToLibrary()
            screen.library.nameForm.text = "Lakeshore Survey"
        }
    }
}
