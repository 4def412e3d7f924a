import QtQuick
import Zeltrin

SplashView {
    property int settleMs: 700
}
