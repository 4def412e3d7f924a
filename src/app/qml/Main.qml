import QtQuick
import Zeltrin

Window {
    id: window
    width: 390
    height: 844
    minimumWidth: 320
    minimumHeight: 480
    visible: true
    title: "Zeltrin Pilot"
    color: Theme.themeBackground

    RootView {
        anchors.fill: parent
    }
}
