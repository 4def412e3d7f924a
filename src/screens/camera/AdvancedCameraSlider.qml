import QtQuick
import QtQuick.Layouts
import QtQuick.Controls
import Zeltrin

// A stepped setting on a card: icon, label, value text (unit first), and a gold slider.
// The slider moves over step positions; the owner turns a position into the value, so values
// never drift by repeated adding.
ZeltrinCard {
    id: card
    property string label: ""
    property string icon: ""
    property string valueText: ""
    property int position: 0
    property int positionCount: 2
    signal positionEdited(int position)

    padding: 14

    ColumnLayout {
        width: parent.width
        spacing: 8
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Icon {
                name: card.icon
                size: 17
                color: Theme.themeGold
                Layout.preferredWidth: 20
            }
            Text {
                text: card.label
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
            }
            Item { Layout.fillWidth: true }
            Text {
                text: card.valueText
                color: Theme.themeGold
                font.family: Theme.monoFamily
                font.pixelSize: 14
                font.weight: Font.DemiBold
            }
        }
        Slider {
            id: slider
            Layout.fillWidth: true
            from: 0
            to: card.positionCount - 1
            stepSize: 1
            snapMode: Slider.SnapAlways
            value: card.position
            Accessible.name: card.label
            onMoved: card.positionEdited(Math.round(value))

            background: Item {
                x: slider.leftPadding
                y: slider.topPadding + slider.availableHeight / 2 - 2
                implicitWidth: 200
                implicitHeight: 4
                width: slider.availableWidth
                height: 4
                Rectangle {
                    anchors.fill: parent
                    radius: 2
                    color: Theme.alpha("white", 0.2)
                }
                Rectangle {
                    width: slider.visualPosition * parent.width
                    height: parent.height
                    radius: 2
                    color: Theme.themeGold
                }
            }
            handle: Rectangle {
                x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
                y: slider.topPadding + slider.availableHeight / 2 - height / 2
                implicitWidth: 28
                implicitHeight: 28
                radius: 14
                color: "white"
                border.width: 0.5
                border.color: Theme.alpha("black", 0.12)
            }
        }
    }
}
