import QtQuick
import QtQuick.Templates as T
import Zeltrin.Kit

// The card look: surface fill, radius 16, a 1-pt raised outline centred on the edge.
// Adds no inset of its own; give the content its padding.
T.Pane {
    id: card
    padding: 0
    implicitWidth: Math.max(implicitBackgroundWidth, contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, contentHeight + topPadding + bottomPadding)
    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: 16
            color: Theme.themeSurface
        }
        Rectangle {
            // Centre the 1-pt stroke on the edge rather than inside it.
            anchors.fill: parent
            anchors.margins: -0.5
            radius: 16.5
            color: "transparent"
            border.width: 1
            border.color: Theme.themeSurfaceRaised
        }
    }
}
