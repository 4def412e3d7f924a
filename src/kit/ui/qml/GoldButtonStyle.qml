import QtQuick
import Zeltrin.Kit

// Primary action: gold fill, dark semibold label, full width, 14 above and below the label.
ButtonBase {
    id: control
    // The fill, under the label.
    readonly property Item background: fill
    font.weight: Font.DemiBold
    foreground: Theme.themeBackground

    Rectangle {
        id: fill
        anchors.fill: parent
        radius: 12
        color: control.down ? Theme.alpha(Theme.themeGold, 0.75) : Theme.themeGold
        Behavior on color { ColorAnimation { duration: 150; easing.type: Easing.OutQuad } }
    }
}
