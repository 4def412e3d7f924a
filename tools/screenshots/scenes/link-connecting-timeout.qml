import QtQuick
import Zeltrin

// The link control tapped with no aircraft in reach: "Connecting…" for the 10 s time-out, then
// "Disconnected" again in the banner, and the dashboard says why.
MainTabView {
    id: tabs
    property int settleMs: 11500
    Timer {
        interval: 50
        running: true
        onTriggered: tabs.screenAt(0).model.toggleLink()
    }
}
