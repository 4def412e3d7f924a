import QtQuick
import QtQuick.Layouts
import Zeltrin

// One summary figure of the 3D preview: icon, value, label.
ZeltrinCard {
    id: card
    property string label: ""
    property string value: ""
    property string icon: ""

    Layout.fillWidth: true
    topPadding: 12
    bottomPadding: 12
    Accessible.role: Accessible.StaticText
    Accessible.name: label + " " + value

    ColumnLayout {
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 6
        Icon { Layout.alignment: Qt.AlignHCenter; name: card.icon; size: 18; color: Theme.themeGold }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: card.value
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: 16
            font.weight: Font.Bold
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: card.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption2
        }
    }
}
