import QtQuick
import Zeltrin

DashboardView {
    property int settleMs: 500
    Component.onCompleted: tour.sdk.connectAircraft("Zeltrin Sim One")
}
