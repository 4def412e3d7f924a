import QtQuick
import Zeltrin

// A session check that takes long: the splash offers "Continue as Guest".
SplashView {
    property int settleMs: 900
    offerWayOnAfterMs: 200
}
