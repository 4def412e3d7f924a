import QtQuick
import QtQuick.Layouts
import QtQuick.Templates as T
import Zeltrin

// Primary action: gold fill, dark semibold label, full width, 14 above and below the label.
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
    font.weight: Font.DemiBold
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
                color: Theme.themeBackground
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                id: label
                text: control.text
                font: control.font
                color: Theme.themeBackground
            }
        }
    }

    background: Rectangle {
        radius: 12
        color: control.down ? Theme.alpha(Theme.themeGold, 0.75) : Theme.themeGold
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
    }
}
