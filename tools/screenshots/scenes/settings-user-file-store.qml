import QtQuick
import Zeltrin

// Signed in with no keyring answering: the session lies in the encrypted file store, and
// Settings says so once.
MainTabView {
    property int settleMs: 2000
    Component.onCompleted: {
        tour.signInDemo()
        App.appState.selectedTab = 5
    }
}
