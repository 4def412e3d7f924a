pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Account, flight safety and display preferences, the offline maps, and the app's identity and legal links.
NavigationContainer {
    id: nav
    objectName: "settingsView"
    property alias model: settings

    // Guest mode's way in: the sign-in gate, pushed with a back button.
    function openSignIn() { return nav.push(gatePage) }
    readonly property var auth: App.authManager

    SettingsModel {
        id: settings
        drone: App.droneManager
    }

    component SectionHeader: Text {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.topMargin: 18
        Layout.bottomMargin: 6
        color: Theme.secondaryText
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnote
        font.capitalization: Font.AllUppercase
    }
    // An inset rounded section: rows on the surface colour with separators between them.
    component Section: Rectangle {
        default property alias rows: column.data
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        implicitHeight: column.implicitHeight
        radius: 10
        color: Theme.themeSurface
        ColumnLayout {
            id: column
            width: parent.width
            spacing: 0
        }
    }
    component Separator: Rectangle {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.preferredHeight: 0.5
        color: Theme.separator
    }
    component RowText: Text {
        color: "white"
        font.family: Theme.fontFamily
        font.pixelSize: Theme.body
    }
    component ValueRow: RowLayout {
        property string label
        property string value
        Layout.fillWidth: true
        Layout.minimumHeight: 44
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        RowText { text: parent.label; Layout.fillWidth: true }
        RowText { text: parent.value; color: Theme.secondaryText }
    }
    component LinkRow: Item {
        id: link
        property string label
        property color tint: Theme.themeGold
        property bool chevron: false
        signal activated()
        Layout.fillWidth: true
        implicitHeight: 44
        Accessible.role: Accessible.Link
        Accessible.name: label
        Accessible.onPressAction: link.activated()
        Rectangle {
            anchors.fill: parent
            radius: 10
            color: tap.pressed ? Theme.alpha("white", 0.06) : "transparent"
        }
        RowText {
            anchors.left: parent.left
            anchors.leftMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            text: link.label
            color: link.tint
        }
        Icon {
            visible: link.chevron
            anchors.right: parent.right
            anchors.rightMargin: 12
            anchors.verticalCenter: parent.verticalCenter
            name: "chevron.right"
            size: 18
            color: Theme.tertiaryText
        }
        TapHandler { id: tap; onTapped: link.activated() }
    }
    component SwitchRow: RowLayout {
        property alias label: switchLabel.text
        property alias checked: toggle.checked
        signal toggled(bool on)
        Layout.fillWidth: true
        Layout.minimumHeight: 44
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        RowText { id: switchLabel; Layout.fillWidth: true }
        ZToggle {
            id: toggle
            text: switchLabel.text
            onToggled: parent.toggled(checked)
        }
    }

    Component {
        id: gatePage
        ZPage {
            property alias gate: gateView
            title: ""
            AuthGateView {
                id: gateView
                anchors.fill: parent
                pushed: true
                onLeaveRequested: nav.pop()
            }
        }
    }

    initialPage: ZPage {
        title: "Settings"

        Flickable {
            anchors.fill: parent
            contentHeight: list.implicitHeight + 32
            boundsBehavior: Flickable.StopAtBounds
            clip: true

            ColumnLayout {
                id: list
                width: parent.width
                spacing: 0

                SectionHeader { text: "Account" }
                Section {
                    visible: nav.auth.hasCurrentUser
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.margins: 16
                        Layout.topMargin: 10
                        Layout.bottomMargin: 10
                        spacing: 12
                        Icon { name: "person.circle.fill"; size: 36; color: Theme.themeGold }
                        ColumnLayout {
                            spacing: 2
                            Layout.fillWidth: true
                            Text {
                                text: nav.auth.displayName
                                color: "white"
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.headline
                                font.weight: Font.DemiBold
                                elide: Text.ElideRight
                                Layout.fillWidth: true
                            }
                            Text {
                                text: nav.auth.email
                                color: Theme.secondaryText
                                font.family: Theme.fontFamily
                                font.pixelSize: Theme.caption
                                elide: Text.ElideRight
                                Layout.fillWidth: true
                            }
                        }
                    }
                    Separator {}
                    LinkRow {
                        label: "Sign Out"
                        tint: Theme.platformRed
                        onActivated: settings.showLogoutConfirm = true
                    }
                    Separator { visible: nav.auth.hasStoredSession }
                    LinkRow {
                        objectName: "forgetSessionSignedIn"
                        visible: nav.auth.hasStoredSession
                        label: "Forget Saved Session"
                        tint: Theme.platformRed
                        onActivated: nav.auth.forgetStoredSession()
                    }
                }
                Section {
                    visible: !nav.auth.hasCurrentUser
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.minimumHeight: 44
                        Layout.leftMargin: 16
                        Layout.rightMargin: 16
                        spacing: 8
                        Icon { name: "person.slash"; size: 20; color: Theme.themeGrey }
                        RowText { text: "Guest Mode"; color: Theme.secondaryText; Layout.fillWidth: true }
                    }
                    Separator {}
                    LinkRow {
                        label: "Sign In / Join MRV"
                        chevron: true
                        onActivated: nav.openSignIn()
                    }
                    // A session kept after a network failure stays within reach in guest mode.
                    Separator { visible: nav.auth.hasStoredSession }
                    LinkRow {
                        objectName: "resumeSessionGuest"
                        visible: nav.auth.hasStoredSession
                        label: "Resume Saved Session"
                        onActivated: nav.auth.resumeStoredSession()
                    }
                    Separator { visible: nav.auth.hasStoredSession }
                    LinkRow {
                        objectName: "forgetSessionGuest"
                        visible: nav.auth.hasStoredSession
                        label: "Forget Saved Session"
                        tint: Theme.platformRed
                        onActivated: nav.auth.forgetStoredSession()
                    }
                }
                Section {
                    objectName: "fileStoreNotice"
                    visible: nav.auth.isSessionInFileStore && !settings.fileStoreNoticeSeen
                    Layout.topMargin: 8
                    Text {
                        Layout.fillWidth: true
                        Layout.margins: 16
                        Layout.bottomMargin: 4
                        text: settings.fileStoreNotice
                        wrapMode: Text.WordWrap
                        color: Theme.secondaryText
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.footnote
                    }
                    LinkRow {
                        label: "OK"
                        onActivated: settings.acknowledgeFileStoreNotice()
                    }
                }

                SectionHeader { text: "Flight Safety" }
                Section {
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.margins: 16
                        Layout.topMargin: 11
                        Layout.bottomMargin: 6
                        spacing: 6
                        RowLayout {
                            Layout.fillWidth: true
                            RowText { text: "Max Altitude"; Layout.fillWidth: true }
                            Text {
                                text: settings.maxAltitudeText
                                color: Theme.themeGold
                                font.family: Theme.monoFamily
                                font.pixelSize: 13
                            }
                        }
                        ZSlider {
                            Layout.fillWidth: true
                            from: 30
                            to: 400
                            stepSize: 10
                            value: settings.maxAltitudeLimit
                            label: "Max Altitude"
                            onMoved: settings.maxAltitudeLimit = value
                        }
                    }
                    Separator {}
                    SwitchRow {
                        label: "Pre-Flight Checklist"
                        checked: settings.enablePreflight
                        onToggled: on => settings.enablePreflight = on
                    }
                }

                SectionHeader { text: "Display" }
                Section {
                    SwitchRow {
                        label: "Use Metric (m, km/h)"
                        checked: settings.useMetric
                        onToggled: on => settings.useMetric = on
                    }
                }

                SectionHeader { text: "Offline Maps" }
                OfflineMapsSection {
                    id: offlineMaps
                    objectName: "offlineMapsSection"
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                }

                SectionHeader { text: "Elevation Data" }
                ElevationSection {
                    id: elevationData
                    objectName: "elevationSection"
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                }

                SectionHeader { text: "About" }
                Section {
                    ValueRow { label: "App"; value: "Zeltrin Pilot" }
                    Separator {}
                    ValueRow { label: "Developer"; value: "Morvane" }
                    Separator {}
                    ValueRow { label: "Assisting Dev"; value: "Zeltrin Labs" }
                    Separator {}
                    ValueRow { label: "Version"; value: settings.appVersion }
                    Separator {}
                    LinkRow { label: "Privacy Policy"; onActivated: settings.openPage("Privacy Policy", settings.privacyUrl) }
                    Separator {}
                    LinkRow { label: "Terms of Use"; onActivated: settings.openPage("Terms of Use", settings.termsUrl) }
                }
            }
        }
    }

    ConfirmationDialog {
        id: signOutConfirm
        presented: settings.showLogoutConfirm
        title: "Sign Out"
        message: "Are you sure you want to sign out?"
        destructiveText: "Sign Out"
        onDestructiveTriggered: nav.auth.logout()
        onDismissed: settings.showLogoutConfirm = false
    }

    // A page no browser could open: where to find it, to copy.
    ConfirmationDialog {
        id: unopenedPage
        objectName: "unopenedPage"
        presented: settings.unopenedAddress !== ""
        title: settings.unopenedPage
        message: settings.unopenedMessage
        actions: ["Copy Address"]
        cancelText: "OK"
        onActionTriggered: settings.copyUnopenedAddress()
        onDismissed: settings.forgetUnopened()
    }
}
