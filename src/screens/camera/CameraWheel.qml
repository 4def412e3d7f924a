import QtQuick
import QtQuick.Controls
import Zeltrin

// A wheel of text options with the selected row on a soft band; rows above and below fade.
// Clipped to its own frame, whatever the row height.
Item {
    id: wheel
    property var options: []
    property int currentIndex: 0
    property int rowHeight: 32
    property int visibleRows: 5
    signal picked(int index)

    clip: true
    implicitHeight: rowHeight * 3

    Rectangle {
        anchors.centerIn: parent
        width: parent.width - 8
        height: wheel.rowHeight
        radius: 8
        color: Theme.alpha("white", 0.1)
    }

    Tumbler {
        id: tumbler
        anchors.centerIn: parent
        width: parent.width
        height: wheel.rowHeight * wheel.visibleRows
        visibleItemCount: wheel.visibleRows
        model: wheel.options
        currentIndex: wheel.currentIndex
        wrap: false
        onMovingChanged: if (!moving && currentIndex !== wheel.currentIndex) wheel.picked(currentIndex)
        delegate: Text {
            required property var modelData
            required property int index
            text: modelData
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: 17
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            opacity: Math.max(0.15, 1.0 - Math.abs(Tumbler.displacement) / (wheel.visibleRows / 2 + 0.5))
            MouseArea {
                anchors.fill: parent
                onClicked: wheel.picked(parent.index)
            }
        }
    }
}
