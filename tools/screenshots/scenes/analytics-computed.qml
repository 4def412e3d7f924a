import QtQuick
import Zeltrin

// The analytics sheet over ten recorded flights on ten mornings: five short surveys in light
// air, then five longer and higher ones in a stronger wind, so every bar and trend has figures.
// Scrolled to the bars and trends, below the totals on a small screen.
Item {
    property int settleMs: 1600
    FlightLogView {
        id: view
        anchors.fill: parent
        Component.onCompleted: {
            for (let i = 0; i < 10; ++i) {
                const later = i >= 5
                tour.simBattery(96)
                tour.simWind(later ? 7 : 2, 200)
                tour.simSurveyFlight(later ? 6 : 4, later ? 170 : 140, later ? 60 + 20 * (i % 2) : 40 + 5 * (i % 3))
                tour.simSkip(86400)
            }
            view.model.showAdvancedAnalytics = true
        }
    }
    Timer {
        interval: 1000
        running: true
        onTriggered: tour.scrollIntoView("performanceMetrics")
    }
}
