import QtQuick
import Zeltrin

TelemetryView {
    property int settleMs: 500
}
