import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// Secondary action: faint gold fill, gold outline and label; pressing only deepens the fill.
T.Button {
    id: control
    property string iconName: ""

    Layout.fillWidth: true
    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    topPadding: 14
    bottomPadding: 14
    leftPadding: 0
    rightPadding: 0
    font.family: Theme.fontFamily
    font.pixelSize: 16
    font.weight: Font.Medium
    Accessible.name: text

    contentItem: Item {
        implicitHeight: label.implicitHeight
        implicitWidth: row.implicitWidth
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 8
            Icon {
                visible: control.iconName !== ""
                name: control.iconName
                size: 18
                color: Theme.themeGold
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                id: label
                text: control.text
                font: control.font
                color: Theme.themeGold
            }
        }
    }

    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: 12
            color: Theme.alpha(Theme.themeGold, control.down ? 0.12 : 0.06)
            Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
        }
        Rectangle {
            anchors.fill: parent
            anchors.margins: -0.5
            radius: 12.5
            color: "transparent"
            border.width: 1
            border.color: Theme.alpha(Theme.themeGold, 0.4)
        }
    }
}
