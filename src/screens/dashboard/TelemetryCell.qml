import QtQuick
import QtQuick.Layouts
import Zeltrin

// One live value of the grid: gold icon, value over label, on the backdrop colour.
Rectangle {
    id: cell
    property string label: ""
    property string value: ""
    property string icon: ""

    radius: 10
    color: Theme.themeBackground
    implicitWidth: row.implicitWidth + 20
    implicitHeight: row.implicitHeight + 20
    Accessible.role: Accessible.StaticText
    Accessible.name: label + " " + value

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 10
        spacing: 10
        Icon {
            Layout.preferredWidth: 20
            name: cell.icon
            size: 14
            color: Theme.themeGold
        }
        Column {
            Layout.fillWidth: true
            spacing: 1
            Text {
                width: parent.width
                text: cell.value
                color: "white"
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: 15
                font.weight: Font.DemiBold
            }
            Text {
                width: parent.width
                text: cell.label
                color: Theme.secondaryText
                elide: Text.ElideRight
                font.family: Theme.fontFamily
                font.pixelSize: 10
            }
        }
    }
}
