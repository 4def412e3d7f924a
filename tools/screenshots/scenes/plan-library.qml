import QtQuick
import Zeltrin

// "Open…": the saved plans, newest first, with their outlines; one of them damaged.
Item {
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    FlightPlanView {
        id: screen
        anchors.fill: parent
        Component.onCompleted: {
            if (typeof tour !== "undefined" && !tour.fillPlanLibrary(screen.library.folder))
                console.error("the saved plans could not be written")
            screen.openLibrary()
        }
    }
}
