import QtQuick
import QtQuick.Layouts
import Zeltrin

// One figure of the analytics grid: icon, value, label.
ZeltrinCard {
    id: card
    property string label: ""
    property string value: ""
    property string icon: ""
    property color color: Theme.themeGold

    topPadding: 16
    bottomPadding: 16
    ColumnLayout {
        width: parent.width
        spacing: 8
        Icon {
            Layout.alignment: Qt.AlignHCenter
            name: card.icon
            size: 24
            color: card.color
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: card.value
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.title3
            font.weight: Font.Bold
        }
        Text {
            Layout.alignment: Qt.AlignHCenter
            text: card.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
    }
}
