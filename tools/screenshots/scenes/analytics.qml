import QtQuick
import Zeltrin

// The analytics sheet for the logbook's sample flights.
Item {
    FlightLogModel { id: book }
    AdvancedAnalyticsSheet {
        anchors.fill: parent
        logs: book.logs
    }
}
