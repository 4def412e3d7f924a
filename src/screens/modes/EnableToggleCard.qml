import QtQuick
import QtQuick.Layouts
import Zeltrin

// The main switch of a sheet without a start/stop button, in its place at the bottom.
Rectangle {
    id: card
    property string text: ""
    property bool checked: false
    signal toggled(bool checked)

    Layout.fillWidth: true
    Layout.leftMargin: 16
    Layout.rightMargin: 16
    Layout.bottomMargin: 32
    implicitHeight: row.implicitHeight + 32
    radius: 12
    color: Theme.alpha(Theme.themeGold, 0.15)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 16
        spacing: 8
        Text {
            Layout.fillWidth: true
            text: card.text
            color: "white"
            wrapMode: Text.WordWrap
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
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
