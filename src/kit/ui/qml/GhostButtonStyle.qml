import QtQuick
import Zeltrin.Kit

// Secondary action: faint gold fill, gold outline and label; pressing only deepens the fill.
ButtonBase {
    id: control
    // The fill, under the label.
    readonly property Item background: fill
    font.weight: Font.Medium
    foreground: Theme.themeGold

    Rectangle {
        id: fill
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
