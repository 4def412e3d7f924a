import QtQuick
import QtQuick.Layouts
import Zeltrin

// The "Survey Area" card: the survey's live figures, the camera, the GSD or the height, the
// overlaps, the grid and the turnaround. Everything is the survey model's; the card only binds.
Item {
    id: card
    required property SurveyEditModel survey
    // Columns of the figures: four where the card is wide enough.
    readonly property int figureColumns: width >= 440 ? 4 : 2
    property bool customOpen: false
    property string customError: ""
    signal doneRequested()

    implicitHeight: column.implicitHeight + 32

    Rectangle {
        anchors.fill: parent
        radius: 20
        color: Theme.themeSurface
    }

    component Figure: ColumnLayout {
        id: figure
        property string label
        property string value
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        spacing: 2
        Text {
            objectName: figure.objectName + "Value"
            Layout.fillWidth: true
            text: figure.value
            color: "white"
            elide: Text.ElideRight
            font.family: Theme.monoFamily
            font.pixelSize: 15
            font.weight: Font.DemiBold
        }
        Text {
            Layout.fillWidth: true
            text: figure.label
            color: Theme.secondaryText
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption2
        }
        Accessible.role: Accessible.StaticText
        Accessible.name: label + " " + value
    }
    component Setting: RowLayout {
        id: setting
        property string label
        property real value
        property real from
        property real to
        property string valueText
        property bool highlighted: false
        signal edited(real value)
        Layout.fillWidth: true
        spacing: 8
        Text {
            Layout.preferredWidth: 84
            text: setting.label
            color: setting.highlighted ? Theme.themeGold : Theme.secondaryText
            elide: Text.ElideRight
            font.family: Theme.fontFamily
            font.pixelSize: Theme.caption
        }
        ZSlider {
            objectName: setting.objectName + "Slider"
            Layout.fillWidth: true
            from: setting.from
            to: setting.to
            stepSize: 0
            value: setting.value
            tint: Theme.themeGold
            label: setting.label
            onMoved: setting.edited(value)
        }
        Text {
            Layout.preferredWidth: 72
            text: setting.valueText
            color: Theme.themeGold
            horizontalAlignment: Text.AlignRight
            font.family: Theme.monoFamily
            font.pixelSize: 12
            font.weight: Font.DemiBold
        }
    }
    component Field: ZeltrinTextField {
        Layout.fillWidth: true
        Layout.preferredWidth: 1
        padding: 8
        font.pixelSize: Theme.subheadline
        inputMethodHints: Qt.ImhFormattedNumbersOnly
    }

    Flickable {
        id: scroller
        objectName: "surveyScroller"
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
                spacing: 8
                Text {
                    Layout.fillWidth: true
                    text: "Survey Area"
                    color: "white"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.headline
                    font.weight: Font.DemiBold
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
                GhostButtonStyle {
                    objectName: "surveyDeleteCorner"
                    visible: card.survey.selectedCorner >= 0
                    implicitHeight: 36
                    text: "Delete Corner"
                    foreground: Theme.platformRed
                    font.pixelSize: Theme.subheadline
                    onClicked: card.survey.removeSelectedCorner()
                }
                GoldButtonStyle {
                    objectName: "surveyDone"
                    implicitHeight: 36
                    implicitWidth: 72
                    text: "Done"
                    font.pixelSize: Theme.subheadline
                    onClicked: card.doneRequested()
                }
            }

            Text {
                objectName: "surveyProblem"
                Layout.fillWidth: true
                visible: text !== ""
                text: card.survey.problem
                color: card.survey.cornerCount === 0 ? Theme.secondaryText : Theme.platformRed
                wrapMode: Text.Wrap
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnote
            }

            GridLayout {
                objectName: "surveyFigures"
                Layout.fillWidth: true
                columns: card.figureColumns
                columnSpacing: 12
                rowSpacing: 8
                Figure { objectName: "surveyLines"; label: "Lines"; value: card.survey.planned ? card.survey.lineCount : "\u2014" }
                Figure { objectName: "surveyPhotos"; label: "Photos"; value: card.survey.planned ? card.survey.photoCount : "\u2014" }
                Figure { objectName: "surveyTrigger"; label: "Photo every"; value: card.survey.triggerDistanceText }
                Figure { objectName: "surveySpacing"; label: "Line spacing"; value: card.survey.lineSpacingText }
                Figure { objectName: "surveyDistance"; label: "Distance"; value: card.survey.distanceText }
                Figure { objectName: "surveyTime"; label: "Flight time"; value: card.survey.flightTimeText }
                Figure { objectName: "surveyBatteries"; label: "Batteries"; value: card.survey.batteriesText }
                Figure { objectName: "surveyGsdShare"; label: "At GSD \u00B15 %"; value: card.survey.gsdShareText }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Text {
                    Layout.preferredWidth: 84
                    text: "Camera"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
                BarButton {
                    objectName: "surveyCameraPrevious"
                    text: "\u2039"
                    Accessible.name: "Previous camera"
                    enabled: card.survey.cameraIndex > 0
                    onClicked: card.survey.cameraIndex = card.survey.cameraIndex - 1
                }
                Text {
                    objectName: "surveyCameraName"
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignHCenter
                    text: card.survey.cameraNames[card.survey.cameraIndex] ?? ""
                    color: "white"
                    elide: Text.ElideRight
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.subheadline
                }
                BarButton {
                    objectName: "surveyCameraNext"
                    text: "\u203A"
                    Accessible.name: "Next camera"
                    enabled: card.survey.cameraIndex < card.survey.cameraNames.length - 1
                    onClicked: card.survey.cameraIndex = card.survey.cameraIndex + 1
                }
                BarButton {
                    objectName: "surveyCustomCamera"
                    text: card.customOpen ? "Close" : "Custom"
                    onClicked: card.customOpen = !card.customOpen
                }
            }

            GridLayout {
                objectName: "surveyCustomForm"
                Layout.fillWidth: true
                visible: card.customOpen
                columns: 2
                columnSpacing: 8
                rowSpacing: 8
                Field { id: customName; placeholder: "Name"; Layout.columnSpan: 2; inputMethodHints: Qt.ImhNone }
                Field { id: sensorWidth; placeholder: "Sensor width (mm)" }
                Field { id: sensorHeight; placeholder: "Sensor height (mm)" }
                Field { id: focalLength; placeholder: "Focal length (mm)" }
                Field { id: imageWidth; placeholder: "Image width (px)"; inputMethodHints: Qt.ImhDigitsOnly }
                Item { Layout.fillWidth: true; Layout.preferredWidth: 1 }
                Field { id: imageHeight; placeholder: "Image height (px)"; inputMethodHints: Qt.ImhDigitsOnly }
                Text {
                    Layout.columnSpan: 2
                    Layout.fillWidth: true
                    visible: card.customError !== ""
                    text: card.customError
                    color: Theme.platformRed
                    wrapMode: Text.Wrap
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnote
                }
                GoldButtonStyle {
                    objectName: "surveySaveCamera"
                    Layout.columnSpan: 2
                    Layout.fillWidth: true
                    text: "Save Camera"
                    onClicked: {
                        card.customError = card.survey.saveCustomCamera(customName.text, Number(sensorWidth.text),
                            Number(sensorHeight.text), Number(focalLength.text), Number(imageWidth.text),
                            Number(imageHeight.text))
                        if (card.customError === "")
                            card.customOpen = false
                    }
                }
            }

            Setting {
                objectName: "surveyGsd"
                label: "GSD"
                highlighted: card.survey.gsdGiven
                from: card.survey.minGroundSampleDistance
                to: card.survey.maxGroundSampleDistance
                value: card.survey.groundSampleDistance
                valueText: card.survey.numberText(card.survey.groundSampleDistance, 2, "cm/px")
                onEdited: (v) => card.survey.groundSampleDistance = v
            }
            Setting {
                objectName: "surveyHeight"
                label: "Height"
                highlighted: !card.survey.gsdGiven
                from: 5
                to: 120
                value: card.survey.height
                valueText: card.survey.numberText(card.survey.height, 0, "m")
                onEdited: (v) => card.survey.height = v
            }
            Setting {
                objectName: "surveyFrontOverlap"
                label: "Front overlap"
                from: 50
                to: 90
                value: card.survey.frontOverlap
                valueText: card.survey.numberText(card.survey.frontOverlap, 0, "%")
                onEdited: (v) => card.survey.frontOverlap = v
            }
            Setting {
                objectName: "surveySideOverlap"
                label: "Side overlap"
                from: 50
                to: 90
                value: card.survey.sideOverlap
                valueText: card.survey.numberText(card.survey.sideOverlap, 0, "%")
                onEdited: (v) => card.survey.sideOverlap = v
            }
            Setting {
                objectName: "surveyAngle"
                label: "Grid angle"
                from: 0
                to: 359
                value: card.survey.gridAngle
                valueText: Fmt.f("%.0f\u00B0", card.survey.gridAngle)
                onEdited: (v) => card.survey.gridAngle = v
            }
            Setting {
                objectName: "surveyTurnaround"
                label: "Turnaround"
                from: 0
                to: 50
                value: card.survey.turnaround
                valueText: card.survey.numberText(card.survey.turnaround, 0, "m")
                onEdited: (v) => card.survey.turnaround = v
            }
            RowLayout {
                Layout.fillWidth: true
                Text {
                    Layout.fillWidth: true
                    text: "Crosshatch"
                    color: Theme.secondaryText
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.caption
                }
                ZToggle {
                    objectName: "surveyCrosshatch"
                    text: "Crosshatch"
                    checked: card.survey.crosshatch
                    onToggled: card.survey.crosshatch = checked
                }
            }
        }
    }
}
