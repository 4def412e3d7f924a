import QtQuick
import Zeltrin

AuthGateView {
    property int settleMs: 1000
    showLogin: true
}
