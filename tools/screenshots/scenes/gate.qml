import QtQuick
import Zeltrin

// Launch with nothing stored: the splash gives way to the sign-in gate.
RootView {
    property int settleMs: 1200
}
