import QtQuick
import Zeltrin

// The login screen as a medium-height sheet over the gate. The gate loads this file the first
// time the sheet is asked for.
ModalSheet {
    id: sheet
    detents: ["medium"]
    // Made afresh each time the sheet opens, so the fields start empty. A Loader makes it, and
    // in Qt 6.4 a Loader cannot make a component bound to its file (pragma ComponentBehavior:
    // Bound), so qmllint cannot know the sheet's id there: that check is off on those lines.
    sheetContent: Loader {
        id: loginLoader
        property var model: item ? (item as LoginView).model : null
        source: "qrc:/Zeltrin/screens/auth/LoginView.qml"
        Binding {
            target: loginLoader.item
            when: loginLoader.item !== null
            property: "keyboardOverlap"
            value: sheet.keyboardOverlap // qmllint disable unqualified
        }
        Connections {
            target: loginLoader.item
            function onCancel() { sheet.dismiss() } // qmllint disable unqualified
        }
    }
}
