import QtQuick
import Zeltrin

DashboardView {
    property int settleMs: 500
}
