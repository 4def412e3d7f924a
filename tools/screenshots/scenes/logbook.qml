import QtQuick
import Zeltrin

// The logbook with its two sample flights.
Item {
    FlightLogView { anchors.fill: parent }
}
