import QtQuick
import Zeltrin

// The logbook with no flights: only the empty-content view.
Item {
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: view.model.logs = []
    }
}
