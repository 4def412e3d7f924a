import QtQuick
import Zeltrin

// The analytics sheet for an empty list: zero figures, empty bars, trends waiting for flights.
Item {
    AdvancedAnalyticsSheet {
        anchors.fill: parent
        book: FlightLogModel { logs: [] }
    }
}
