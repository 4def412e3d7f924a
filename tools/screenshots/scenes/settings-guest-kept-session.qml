import QtQuick
import Zeltrin

// Guest mode with a session kept: Settings offers to resume or forget it.
MainTabView {
    property int settleMs: 2200
    Component.onCompleted: {
        tour.signInDemo()
        App.appState.selectedTab = 5
    }
    Timer {
        interval: 1200
        running: true
        onTriggered: App.authManager.continueAsGuest()
    }
}
