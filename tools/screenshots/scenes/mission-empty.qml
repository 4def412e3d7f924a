import QtQuick
import Zeltrin

// The planner offline with no waypoints: the dark graticule stands in for imagery.
Item {
    FlightPlanView { anchors.fill: parent }
}
