import QtQuick
import QtQuick.Layouts
import Zeltrin

// Label left, value right, a divider along the bottom.
Item {
    id: row
    property string label: ""
    property string value: ""
    // Every row has its divider, the last one too. The card does not clip its content, so the
    // last row's divider stops short of the card's rounded corners (radius 16).
    property bool lastInCard: false

    Layout.fillWidth: true
    implicitHeight: content.implicitHeight + 20
    Accessible.role: Accessible.StaticText
    Accessible.name: label + " " + value

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 10
        anchors.bottomMargin: 10
        spacing: 8
        Text {
            text: row.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
        }
        Text {
            // The value keeps its line and gives way at the left edge if it runs long.
            Layout.fillWidth: true
            text: row.value
            color: "white"
            horizontalAlignment: Text.AlignRight
            elide: Text.ElideLeft
            font.family: Theme.fontFamily
            font.pixelSize: 14
            font.weight: Font.DemiBold
        }
    }
    Rectangle {
        objectName: "rowDivider"
        anchors.bottom: parent.bottom
        x: row.lastInCard ? 16 : 0
        width: parent.width - 2 * x
        height: 1
        color: Theme.themeSurfaceRaised
    }
}
