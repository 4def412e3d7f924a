import QtQuick
import Zeltrin

MainTabView {
    property int settleMs: 900
    Component.onCompleted: {
        App.authManager.continueAsGuest()
        App.appState.selectedTab = 5
    }
}
