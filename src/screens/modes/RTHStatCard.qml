import QtQuick
import QtQuick.Layouts
import Zeltrin

// One figure of the return-home calculations.
ZeltrinCard {
    id: card
    property string label: ""
    property string value: ""
    property string icon: ""

    Layout.fillWidth: true
    Layout.preferredWidth: 1
    topPadding: 12
    bottomPadding: 12
    Accessible.role: Accessible.StaticText
    Accessible.name: label + " " + value

    Column {
        width: card.availableWidth
        spacing: 6
        Icon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: card.icon
            size: 18
            color: Theme.themeGold
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: card.value
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: 16
            font.bold: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: card.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption2
        }
    }
}
