import QtQuick
import Zeltrin

// The login screen as a medium-height sheet over the gate. The gate loads this file the first
// time the sheet is asked for.
ModalSheet {
    id: sheet
    detents: ["medium"]
    // Made afresh each time the sheet opens, so the fields start empty.
    sheetContent: Loader {
        id: loginLoader
        property var model: item ? (item as LoginView).model : null
        source: "qrc:/Zeltrin/screens/auth/LoginView.qml"
        Binding {
            target: loginLoader.item
            when: loginLoader.item !== null
            property: "keyboardOverlap"
            value: sheet.keyboardOverlap
        }
        Connections {
            target: loginLoader.item
            function onCancel() { sheet.dismiss() }
        }
    }
}
