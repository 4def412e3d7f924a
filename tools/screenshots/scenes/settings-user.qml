import QtQuick
import Zeltrin

MainTabView {
    property int settleMs: 1500
    Component.onCompleted: {
        tour.signInDemo()
        App.appState.selectedTab = 5
    }
}
