import QtQuick
import Zeltrin

UiKitGallery {
    property int settleMs: 500
    connectionStates: App.droneManager.connectionStateCases()
}
