import QtQuick
import Zeltrin

// The logbook file could not be read at start: it was set aside and a new one begun. The
// notice says so once, above the samples a logbook without records shows.
Item {
    property var extraSizes: ["320x568"]
    FlightLogView { anchors.fill: parent }
}
