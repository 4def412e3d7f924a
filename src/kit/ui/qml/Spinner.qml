pragma ComponentBehavior: Bound

import QtQuick
import Zeltrin.Kit

// An indeterminate progress spinner: 8 ticks around a 20 circle, brightest tick stepping round.
Item {
    id: spinner
    property color color: Theme.secondaryText
    property bool running: true
    property real size: 20

    implicitWidth: size
    implicitHeight: size
    Accessible.role: Accessible.Animation
    Accessible.name: "In progress"

    property int _step: 0

    Timer {
        interval: 100
        repeat: true
        running: spinner.running && spinner.visible
        onTriggered: spinner._step = (spinner._step + 1) % 8
    }

    Repeater {
        model: 8
        Item {
            required property int index
            anchors.fill: parent
            rotation: index * 45
            Rectangle {
                x: (spinner.width - width) / 2
                y: 0
                width: Math.max(2, spinner.size * 0.1)
                height: spinner.size * 0.28
                radius: width / 2
                color: spinner.color
                // The lead tick is solid; the ones behind it fade.
                opacity: 1 - (((spinner._step - parent.index) % 8 + 8) % 8) * 0.11
            }
        }
    }
}
