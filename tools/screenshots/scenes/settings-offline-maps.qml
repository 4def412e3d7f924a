import QtQuick
import Zeltrin

// Settings' offline maps: an area kept whole, one paused part-way, the browsing cache.
MainTabView {
    id: tabs
    property int settleMs: 1500
    property var extraSizes: ["320x568", "844x390"]
    Component.onCompleted: {
        if (!tour.downloadArea(47.365, 8.525, 47.385, 8.555, 13, 15))
            console.error("the first area did not download")
        if (!tour.downloadArea(46.94, 7.43, 46.96, 7.46, 13, 16, 60))
            console.error("the second area did not start")
        App.offlineMaps.pauseDownload()
        App.appState.selectedTab = 5
        findSection.start()
    }
    // The tab is made when first shown. Started once the downloads are done: they turn the
    // event loop, and on a busy machine they outlast the tries.
    Timer {
        id: findSection
        property int tries: 0
        interval: 150
        repeat: true
        onTriggered: {
            if (tour.scrollIntoView("offlineMapsSection"))
                stop()
            else if (++tries > 40) { // a loaded machine makes the tab late
                stop()
                console.error("no offline maps section")
            }
        }
    }
}
