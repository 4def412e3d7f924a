import QtQuick
import QtQuick.Layouts
import Zeltrin

// The aircraft going home by itself, and why ("Returning home — low battery"): shown while
// `text` is not empty, in the banner above every tab and in the mission panel.
Rectangle {
    id: strip
    property string text: ""
    property real horizontalPadding: 16
    visible: text !== ""
    implicitHeight: visible ? row.implicitHeight + 12 : 0
    color: Theme.alpha(Theme.themeGold, 0.18)
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: strip.horizontalPadding
        anchors.rightMargin: strip.horizontalPadding
        spacing: 8
        Icon { name: "house.circle.fill"; size: 15; color: Theme.themeGold }
        Text {
            Layout.fillWidth: true
            text: strip.text
            color: "white"
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
    }
}
