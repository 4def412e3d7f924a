import QtQuick
import Zeltrin

// Signed in with the session kept: Settings offers to forget it beside "Sign Out".
MainTabView {
    property int settleMs: 2000
    Component.onCompleted: {
        tour.signInDemo()
        App.appState.selectedTab = 5
    }
}
