import QtQuick
import Zeltrin

// The analytics sheet for an empty list: zero figures, fixed bars and trends.
Item {
    AdvancedAnalyticsSheet {
        anchors.fill: parent
        book: FlightLogModel { logs: [] }
    }
}
