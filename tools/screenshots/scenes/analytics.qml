import QtQuick
import Zeltrin

// The analytics sheet opened from the logbook with its two sample flights.
Item {
    property int settleMs: 1400
    FlightLogView {
        id: view
        anchors.fill: parent
    }
    Component.onCompleted: view.model.showAdvancedAnalytics = true
}
