import QtQuick
import QtQuick.Layouts
import Zeltrin

// One item of the pre-flight checklist on a card: green check when it passes, red cross when an
// automatic item fails, an empty circle for a manual item not yet ticked. A manual item is
// ticked and unticked by a tap anywhere on its card.
ZeltrinCard {
    id: row
    property string title: ""
    property string detail: ""
    property bool passed: false
    property bool manual: false
    signal toggled()

    Layout.fillWidth: true
    padding: 14
    Accessible.role: manual ? Accessible.CheckBox : Accessible.StaticText
    Accessible.name: title
    Accessible.description: detail
    Accessible.checkable: manual
    Accessible.checked: passed
    Accessible.onPressAction: if (manual) row.toggled()
    Accessible.onToggleAction: if (manual) row.toggled()

    RowLayout {
        width: row.availableWidth
        spacing: 12
        Icon {
            objectName: "checklistMark"
            name: row.passed ? "checkmark.circle.fill" : (row.manual ? "circle" : "xmark.circle.fill")
            size: 22
            color: row.passed ? Theme.themeGreen : (row.manual ? Theme.themeGrey : Theme.themeRed)
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                Layout.fillWidth: true
                text: row.title
                color: "white"
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.subheadline
                font.weight: Font.DemiBold
            }
            Text {
                Layout.fillWidth: true
                text: row.detail
                color: row.passed || row.manual ? Theme.secondaryText : Theme.themeRed
                wrapMode: Text.WordWrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.caption
            }
        }
    }

    TapHandler {
        enabled: row.manual
        onTapped: row.toggled()
    }
}
