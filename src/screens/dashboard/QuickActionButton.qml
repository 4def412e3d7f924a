import QtQuick
import Zeltrin

// A tile that runs its action. While active it takes its colour as an outline and a faint
// fill, the label turns that colour and a green dot marks the icon; the change springs. A tile
// that cannot act now is faded; a tap still runs its action, which says why.
Item {
    id: button
    property string label: ""
    property string icon: ""
    property color color: Theme.themeGold
    property bool isActive: false
    property bool available: true
    signal action()

    // 0 idle .. 1 active, on a spring of response 0.3 s (w = 2*pi/0.3 = 20.94 /s) and damping
    // fraction z = 0.825: about 1 % overshoot, within 2 % after about 0.19 s.
    // SpringAnimation steps every h = 16 ms with v += k*d - c*v, x += v*h (mass 1). Matching
    // that step's poles to the continuous ones, exp(h*w*(-z +- i*sqrt(1-z^2))):
    //   det   = 1 - c          = exp(-2*z*w*h)                            -> c = 0.4247
    //   trace = 2 - c - k*h    = 2*exp(-z*w*h)*cos(w*sqrt(1-z^2)*h)       -> k = 5.341
    property real activeness: isActive ? 1 : 0
    Behavior on activeness { SpringAnimation { spring: 5.341; damping: 0.4247; mass: 1; epsilon: 0.002 } }

    implicitWidth: Math.max(column.implicitWidth, 60)
    implicitHeight: column.implicitHeight + 24

    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.checked: isActive
    Accessible.description: available ? "" : "Not available now"
    Accessible.onPressAction: button.action()

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Theme.themeBackground
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Theme.alpha(button.color, 0.15)
        opacity: Math.max(0, Math.min(1, button.activeness))
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: "transparent"
        border.width: 1.5
        border.color: button.color
        opacity: Math.max(0, Math.min(1, button.activeness))
    }
    Rectangle {
        anchors.fill: parent
        radius: 10
        color: "white"
        opacity: tap.pressed ? 0.06 : 0
    }

    Column {
        id: column
        anchors.centerIn: parent
        spacing: 6
        opacity: button.available ? 1 : 0.35
        Icon {
            id: glyph
            objectName: "quickActionIcon"
            anchors.horizontalCenter: parent.horizontalCenter
            name: button.icon
            size: 20
            color: button.color
            Rectangle {
                objectName: "activeDot"
                width: 8
                height: 8
                radius: 4
                color: Theme.themeGreen
                // Its top-right corner on the icon's, then 6 right and 6 up.
                x: parent.width - width + 6
                y: -6
                visible: button.activeness > 0.01
                scale: Math.max(0, button.activeness)
            }
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: button.label
            color: button.isActive ? button.color : Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: 10
            font.weight: Font.Medium
        }
    }

    TapHandler {
        id: tap
        onTapped: button.action()
    }
}
