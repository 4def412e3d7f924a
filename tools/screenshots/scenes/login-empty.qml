import QtQuick
import Zeltrin

AuthGateView {
    property var extraSizes: ["320x568", "844x390"]
    property int settleMs: 1000
    showLogin: true
}
