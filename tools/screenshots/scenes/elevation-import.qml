import QtQuick
import Zeltrin

// Settings' elevation data after a GeoTIFF was imported: the area with its zoom, resolution,
// vertical datum and source file, and the import's notice.
MainTabView {
    id: tabs
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390"]
    Component.onCompleted: {
        App.appState.selectedTab = 5
        findSection.start()
    }
    Timer {
        id: findSection
        property int tries: 0
        interval: 150
        repeat: true
        onTriggered: {
            if (tour.scrollIntoView("elevationSection"))
                stop()
            else if (++tries > 40) {
                stop()
                console.error("no elevation section")
            }
        }
    }
}
