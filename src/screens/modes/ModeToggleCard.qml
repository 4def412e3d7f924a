pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// An on/off option of a mode sheet on a card: gold icon and text, with an optional second
// line below them (or beside the icon, when iconBesideBothLines), and a gold toggle.
ZeltrinCard {
    id: card
    property string icon: ""
    property string text: ""
    property string detail: ""
    property bool iconBesideBothLines: false
    property bool checked: false
    signal toggled(bool checked)

    readonly property bool twoLines: detail !== ""

    Layout.fillWidth: true
    padding: 14

    component Detail: Text {
        width: parent.width
        text: card.detail
        color: Theme.secondaryText
        wrapMode: Text.WordWrap
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption
    }

    RowLayout {
        width: card.availableWidth
        spacing: 8

        // Positioners rather than layouts: the detail line moves with iconBesideBothLines.
        Item {
            Layout.fillWidth: true
            implicitHeight: labelColumn.implicitHeight
            Column {
                id: labelColumn
                width: parent.width
                spacing: 4
                Row {
                    width: parent.width
                    spacing: 8
                    Icon {
                        id: glyph
                        anchors.verticalCenter: parent.verticalCenter
                        name: card.icon
                        color: Theme.themeGold
                    }
                    Column {
                        anchors.verticalCenter: parent.verticalCenter
                        width: parent.width - glyph.width - parent.spacing
                        spacing: 2
                        Text {
                            width: parent.width
                            text: card.text
                            color: "white"
                            wrapMode: Text.WordWrap
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.subheadline
                            font.weight: card.twoLines ? Font.DemiBold : Font.Normal
                        }
                        Detail { visible: card.iconBesideBothLines && card.twoLines }
                    }
                }
                Detail { visible: !card.iconBesideBothLines && card.twoLines }
            }
        }

        ZToggle {
            checked: card.checked
            text: card.text
            onToggled: {
                card.toggled(checked)
                checked = Qt.binding(() => card.checked) // the owner decides
            }
        }
    }
}
