import QtQuick
import Zeltrin

MainTabView {
    id: tabs
    property int settleMs: 1800
    Component.onCompleted: {
        tour.signInDemo()
        App.appState.selectedTab = 5
    }
    Timer {
        interval: 900
        running: true
        // The settings screen is the sixth tab's loaded item.
        onTriggered: tabs.screenAt(5).model.showLogoutConfirm = true
    }
}
