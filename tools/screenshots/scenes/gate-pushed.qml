import QtQuick
import Zeltrin

// A guest's way in from Settings: "Sign In / Join MRV" pushes the sign-in gate, with a back
// button, inside the tab view.
MainTabView {
    id: tabs
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390", "820x1180", "1180x820"]
    Component.onCompleted: {
        App.authManager.continueAsGuest()
        App.appState.selectedTab = 5
        push.start()
    }
    // The tab is made when first shown.
    Timer {
        id: push
        property int tries: 0
        interval: 100
        repeat: true
        onTriggered: {
            const settings = tabs.screenAt(5)
            if (settings) {
                stop()
                settings.openSignIn()
            } else if (++tries > 40) {
                stop()
                console.error("no settings screen")
            }
        }
    }
}
