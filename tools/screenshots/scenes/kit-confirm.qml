import QtQuick
import Zeltrin

// The confirmation dialog as an action sheet over the tab view.
Item {
    id: scene
    property int settleMs: 900
    property bool showConfirm: false

    MainTabView { anchors.fill: parent }

    ConfirmationDialog {
        presented: scene.showConfirm
        onDismissed: scene.showConfirm = false
        title: "Sign Out"
        message: "Are you sure you want to sign out?"
        destructiveText: "Sign Out"
    }

    Component.onCompleted: showConfirm = true
}
