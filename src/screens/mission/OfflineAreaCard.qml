import QtQuick
import QtQuick.Layouts
import Zeltrin

// The card of "Download Map Area…": first the framed area's zoom range and estimate, then the
// download's progress with pause, resume and cancel. The download goes on when the card is
// closed; Settings lists it too.
Item {
    id: card
    required property AreaSelectModel select
    // The app's offline maps (null where there are none).
    property OfflineMaps maps: null
    signal downloadRequested()
    signal closeRequested()

    readonly property bool showsProgress: maps !== null && (maps.downloadActive || maps.downloadMessage !== "")
    implicitHeight: column.implicitHeight + 32

    Rectangle {
        anchors.fill: parent
        radius: 20
        color: Theme.themeSurface
    }
    // No touch on the card reaches the map under it.
    PointerShield {
        anchors.fill: parent
        blocksWheel: true
    }

    component StepButton: ButtonBase {
        implicitWidth: 44
        implicitHeight: 44
        font.pixelSize: 22
        opacity: enabled ? 1 : 0.35
        Rectangle {
            z: -1
            anchors.fill: parent
            radius: 22
            color: parent.down ? Theme.alpha("white", 0.2) : Theme.themeSurfaceRaised
        }
    }
    component ZoomStepper: RowLayout {
        id: stepper
        property string label
        property int value
        property bool canLower
        property bool canRaise
        signal step(int delta)
        spacing: 4
        Text {
            text: stepper.label
            color: Theme.secondaryText
            font.family: Theme.fontFamily
            font.pixelSize: Theme.subheadline
        }
        StepButton {
            objectName: stepper.objectName + "Lower"
            text: "\u2212"
            enabled: stepper.canLower
            Accessible.name: stepper.label + " zoom lower"
            onClicked: stepper.step(-1)
        }
        Text {
            Layout.minimumWidth: 28
            horizontalAlignment: Text.AlignHCenter
            text: stepper.value
            color: "white"
            font.family: Theme.monoFamily
            font.pixelSize: Theme.headline
        }
        StepButton {
            objectName: stepper.objectName + "Raise"
            text: "+"
            enabled: stepper.canRaise
            Accessible.name: stepper.label + " zoom higher"
            onClicked: stepper.step(1)
        }
    }

    // A window too short for the whole card (a small phone on its side) scrolls it, so its
    // buttons stay in reach.
    Flickable {
        id: scroller
        objectName: "offlineAreaScroller"
        anchors.fill: parent
        clip: contentHeight > height
        interactive: contentHeight > height
        contentWidth: width
        contentHeight: column.implicitHeight + 32
        boundsBehavior: Flickable.StopAtBounds
        ZScrollIndicator { flickable: scroller }

        ColumnLayout {
            id: column
            x: 16
            y: 16
            width: scroller.width - 32
            spacing: 12

            RowLayout {
                Layout.fillWidth: true
                Text {
                    Layout.fillWidth: true
                    text: card.showsProgress ? card.maps.downloadName : "Download Map Area"
                    color: "white"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                Text {
                    visible: !card.showsProgress
                    text: card.select.zoomRangeText
                    color: Theme.themeGold
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadline
                }
            }

            // Choosing.
            Flow {
                Layout.fillWidth: true
                visible: !card.showsProgress
                spacing: 12
                ZoomStepper {
                    objectName: "minZoomStepper"
                    label: "From"
                    value: card.select.minZoom
                    canLower: card.select.canLowerMin
                    canRaise: card.select.canRaiseMin
                    onStep: (delta) => card.select.stepMinZoom(delta)
                }
                ZoomStepper {
                    objectName: "maxZoomStepper"
                    label: "To"
                    value: card.select.maxZoom
                    canLower: card.select.canLowerMax
                    canRaise: card.select.canRaiseMax
                    onStep: (delta) => card.select.stepMaxZoom(delta)
                }
            }
            Text {
                objectName: "areaEstimate"
                Layout.fillWidth: true
                visible: !card.showsProgress
                text: card.select.estimateText
                color: card.select.tooMany ? Theme.platformRed : "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.body
                wrapMode: Text.Wrap
            }

            // Downloading.
            Rectangle {
                objectName: "downloadProgressBar"
                Layout.fillWidth: true
                visible: card.showsProgress
                implicitHeight: 8
                radius: 4
                color: Theme.themeSurfaceRaised
                Accessible.role: Accessible.ProgressBar
                Accessible.name: card.maps ? card.maps.downloadText : ""
                Rectangle {
                    width: parent.width * Math.max(0, Math.min(1, card.maps ? card.maps.downloadProgress : 0))
                    height: parent.height
                    radius: 4
                    color: Theme.themeGold
                }
            }
            Text {
                objectName: "downloadCounts"
                Layout.fillWidth: true
                visible: card.showsProgress
                text: card.maps ? card.maps.downloadText : ""
                color: "white"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.body
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "downloadStatus"
                Layout.fillWidth: true
                visible: card.showsProgress && text !== ""
                text: {
                    const m = card.maps
                    if (!m)
                        return ""
                    if (m.downloadMessage !== "")
                        return m.downloadMessage
                    if (m.downloadPaused)
                        return "Paused"
                    if (m.downloadWaiting)
                        return "Waiting for the network\u2026"
                    return "Downloading\u2026"
                }
                color: card.maps && card.maps.downloadMessageIsError ? Theme.platformRed : Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
                wrapMode: Text.Wrap
            }

            Text {
                objectName: "areaLimitNote"
                Layout.fillWidth: true
                text: card.select.limitText
                visible: !card.showsProgress
                color: card.select.tooMany ? Theme.platformRed : Theme.secondaryText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
                wrapMode: Text.Wrap
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 12
                visible: !card.showsProgress
                GhostButtonStyle {
                    objectName: "areaCancel"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    text: "Cancel"
                    onClicked: card.closeRequested()
                }
                GoldButtonStyle {
                    objectName: "areaDownload"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    text: "Download"
                    iconName: "arrow.down.circle"
                    enabled: card.select.canDownload && card.maps !== null && card.maps.ready
                    opacity: enabled ? 1 : 0.5
                    onClicked: card.downloadRequested()
                }
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 12
                visible: card.showsProgress
                GhostButtonStyle {
                    objectName: "downloadCancel"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    visible: card.maps !== null && card.maps.downloadActive
                    text: "Cancel"
                    foreground: Theme.platformRed
                    onClicked: card.maps.cancelDownload()
                }
                GhostButtonStyle {
                    objectName: "downloadPauseResume"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    visible: card.maps !== null && card.maps.downloadActive
                    text: card.maps && card.maps.downloadPaused ? "Resume" : "Pause"
                    onClicked: card.maps.downloadPaused ? card.maps.resumeDownload() : card.maps.pauseDownload()
                }
                GoldButtonStyle {
                    objectName: "downloadClose"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    text: card.maps && card.maps.downloadActive ? "Hide" : "Done"
                    onClicked: {
                        if (!card.maps.downloadActive)
                            card.maps.clearDownloadMessage()
                        card.closeRequested()
                    }
                }
            }
        }
    }
}
