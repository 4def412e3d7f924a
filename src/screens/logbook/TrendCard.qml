import QtQuick
import QtQuick.Layouts
import Zeltrin

// A trend note: coloured icon, title and description on a card.
ZeltrinCard {
    id: card
    property string icon: ""
    property string title: ""
    property string description: ""
    property color trendColor: Theme.themeGreen

    padding: 14
    RowLayout {
        width: parent.width
        spacing: 14
        Icon {
            name: card.icon
            size: 20
            color: card.trendColor
            Layout.preferredWidth: 40
            Layout.minimumWidth: 40
            Layout.maximumWidth: 40
        }
        ColumnLayout {
            spacing: 3
            Layout.fillWidth: true
            Text {
                Layout.fillWidth: true
                text: card.title
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
                font.weight: Font.DemiBold
            }
            Text {
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
                text: card.description
                color: Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
            }
        }
    }
}
