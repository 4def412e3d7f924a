import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Window
import QtQuick.Templates as T
import Zeltrin

// The flight plan tab: a satellite map on which taps add waypoints, the tool column at the top
// right, the mission control panel at the bottom and the screen's three sheets.
// This file's components are not bound to it (pragma ComponentBehavior: Bound): a Loader in
// Qt 6.4 cannot make a bound component, and a Loader makes the sheets. qmllint then cannot know
// the ids reached from inside a component, so that check is off around those parts.
Item {
    id: screen
    readonly property alias plan: plan
    readonly property alias map: map
    readonly property alias waypointListSheet: listSheet
    readonly property alias shotDesignerSheet: shotSheet
    readonly property alias previewSheet: previewSheet
    readonly property alias planMenu: planMenu
    readonly property alias library: library
    readonly property alias librarySheet: librarySheet
    readonly property alias nameSheet: nameSheet
    readonly property alias importDialog: importDialog
    readonly property alias exportDialog: exportDialog
    readonly property alias replaceConfirm: replaceConfirm
    readonly property alias replaceMissionConfirm: replaceMissionConfirm
    readonly property alias areaSelect: areaSelect
    readonly property alias areaCard: areaCard
    readonly property alias survey: survey
    readonly property alias surveyEditor: surveyEditor
    readonly property alias surveyCard: surveyCard
    // "Download Map Area…": the frame and the card are up instead of the mission panel.
    property bool choosingArea: false

    // The plans kept in the app ("Open…", "Save…") and files from and to elsewhere.
    function openLibrary() { planMenu.close(); library.openLibrary() }
    function saveToLibrary() { planMenu.close(); library.beginSave() }
    function importPlanFile() { planMenu.close(); importDialog.open() }
    function exportPlanFile() { planMenu.close(); exportDialog.open() }
    function beginAreaDownload() {
        planMenu.close()
        areaSelect.begin(map.zoomLevel)
        choosingArea = true
        frameArea()
    }
    // The framed area follows the map while the pilot pans and zooms it.
    function frameArea() {
        if (!choosingArea)
            return
        const p = map.mapFromItem(screen, areaFrame.x, areaFrame.y)
        areaSelect.setFrame(map.boundsOf(Qt.rect(p.x, p.y, areaFrame.width, areaFrame.height)))
    }
    // What the map shows plans and the aircraft in: the map less the bar, the panel, the tool
    // column and the imagery credit's line (a marker's centre kept a marker's radius clear of
    // each), in the screen's coordinates. The credit's line is kept whether it shows or not, so
    // imagery coming and going does not move the map.
    function fitArea() {
        const top = bar.height + 24
        const right = width - tools.width - 32
        let bottom = (panel.beside ? height : panel.y) - 24
        if (map.attribution !== "")
            bottom = Math.min(bottom, attribution.y - 20)
        const left = panel.beside ? panel.x + panel.width + 24 : 24
        return Qt.rect(left, top, Math.max(40, right - left), Math.max(40, bottom - top))
    }
    // The same in the map's coordinates (in landscape the map sits beside the panel).
    readonly property rect viewArea: {
        const a = fitArea()
        return Qt.rect(a.x - map.x, a.y - map.y, a.width, a.height)
    }

    // Shows the bounds as large as fits where nothing covers the map, and again whenever that
    // part changes (the panel grows or folds) until the pilot moves the map.
    function showBounds(south, west, north, east) {
        map.fitBounds(south, west, north, east)
    }
    // The notice that imagery cannot be reached is given once: put away, it stays away.
    property bool offlineNoticeDismissed: false

    // The upload step hands the plan to the aircraft, which flies it once accepted (taking off
    // first when on the ground). The plan is also published for the checks before take-off.
    FlightPlanModel {
        id: plan
        drone: App.droneManager
        appState: App.appState
        elevation: App.elevation
        multiBattery: App.multiBattery
    }
    PlanLibraryModel {
        id: library
        folder: App.planLibraryFolder
        plan: plan
    }
    SurveyEditModel {
        id: survey
        plan: plan
    }
    AreaSelectModel {
        id: areaSelect
        storeMeanTileBytes: App.offlineMaps ? App.offlineMaps.meanTileBytes : 0
        seenMeanTileBytes: map.meanTileBytes
        withElevation: App.offlineMaps ? App.offlineMaps.fetchesElevation : false
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.themeBackground
    }

    // The map runs under the navigation bar. Beside the card (a phone on its side) it takes only
    // what the card leaves, so what it centres on is not hidden under the card.
    TileMapItem {
        id: map
        objectName: "tileMap"
        anchors.fill: parent
        anchors.leftMargin: panel.beside ? panel.width + 8 : 0
        // While the area is drawn its waypoints step aside, so taps near the lines add corners.
        markers: survey.active ? null : plan.waypoints
        region: plan.mapPosition
        onRegionMoved: plan.mapPosition = region
        onRegionChanged: screen.frameArea()
        // The plan decides what a tap adds and what a double tap takes back; no waypoint while
        // an area to download is being chosen.
        onMapTapped: (latitude, longitude) => {
            if (survey.active)
                survey.mapTapped(latitude, longitude)
            else if (!screen.choosingArea)
                plan.mapTapped(latitude, longitude)
        }
        onMapDoubleTapped: (latitude, longitude) => {
            if (survey.active)
                survey.mapDoubleTapped()
            else if (!screen.choosingArea)
                plan.mapDoubleTapped(latitude, longitude)
        }
        onMapLongPressed: (latitude, longitude) => {
            if (survey.active)
                survey.addCorner(latitude, longitude)
            else if (!screen.choosingArea)
                plan.mapLongPressed(latitude, longitude)
        }
        footprints: survey.footprints
        offlineTiles: App.offlineMaps
        onMarkerTapped: (index) => plan.selectWaypoint(index)
        // A waypoint's marker drags where the finger takes it; a survey's waypoints move with
        // its corners instead.
        markersMovable: !survey.active && !plan.hasSurvey && !screen.choosingArea
        onMarkerMoveStarted: (index) => plan.startWaypointMove(index)
        onMarkerMoved: (index, latitude, longitude) => plan.moveWaypoint(index, latitude, longitude)
        // The aircraft, its home point and its track, while there is a position to show.
        readonly property var drone: App.droneManager
        readonly property bool placed: drone !== null
            && (drone.hasHome || drone.flightData.latitude !== 0 || drone.flightData.longitude !== 0)
        track: App.flownTrack
        showsAircraft: placed
        aircraftLatitude: drone ? drone.flightData.latitude : 0
        aircraftLongitude: drone ? drone.flightData.longitude : 0
        aircraftHeading: drone ? drone.flightData.heading : 0
        showsHome: drone !== null && drone.hasHome
        homeLatitude: drone ? drone.homeLatitude : 0
        homeLongitude: drone ? drone.homeLongitude : 0
        viewArea: screen.viewArea
        // During a mission the aircraft is kept where the panel leaves the map visible.
        followsAircraft: drone !== null && (drone.missionState === "executing" || drone.missionState === "paused")
        Accessible.role: Accessible.Graphic
        Accessible.name: "Map"
    }

    UnknownGroundLegs {
        objectName: "unknownGroundLegs"
        anchors.fill: map
        map: map
        terrain: plan.terrain
    }
    BatteryMarks { objectName: "batteryMarks"; anchors.fill: map; map: map; batteries: plan.batteries }

    // Markers are drawn in one batch; these stand-ins give assistive technology one element per
    // marker on screen ("WP1", "WP2", ...), only while it is active.
    // qmllint disable unqualified
    Repeater {
        model: map.accessibleMarkers
        Item {
            required property int modelData
            readonly property point at: {
                map.region; map.bearing; plan.waypointCount
                return map.coordinateToPoint(plan.waypoints.latitudeAt(modelData), plan.waypoints.longitudeAt(modelData))
            }
            x: at.x - 17
            y: at.y - 17
            width: 34
            height: 34
            Accessible.role: Accessible.Button
            Accessible.name: map.markerTitle(modelData)
            Accessible.selected: plan.selectedWaypoint === modelData
            Accessible.onPressAction: plan.selectWaypoint(modelData)
        }
    }
    // qmllint enable unqualified

    SurveyEditor {
        id: surveyEditor
        anchors.fill: parent
        survey: survey
        map: map
    }

    // Navigation bar with the inline title, translucent over the map.
    Rectangle {
        id: bar
        objectName: "missionBar"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: 44
        color: Theme.alpha(Theme.themeSurface, 0.7)
        // A touch on the bar is the bar's, never the map's.
        PointerShield { anchors.fill: parent; blocksWheel: true }
        Text {
            anchors.centerIn: parent
            text: "Mission Planner"
            color: "white"
            font.family: Theme.fontFamily
            font.pixelSize: Theme.headline
            font.weight: Font.DemiBold
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        BarButton {
            id: planButton
            objectName: "planMenuButton"
            anchors.right: parent.right
            anchors.rightMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            text: "Plan"
            Accessible.name: "Plan"
            onClicked: planMenu.opened ? planMenu.close() : planMenu.open()
        }
        // A map download hidden from its card: its progress until it ends; a tap shows the card.
        // At the bar's left end, clear of the centred title on the smallest phone.
        DownloadProgressMark {
            objectName: "downloadMark"
            anchors.left: parent.left
            anchors.leftMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            maps: App.offlineMaps
            hidden: screen.choosingArea
            onActivated: screen.choosingArea = true
        }
    }

    PlanMenu {
        id: planMenu
        objectName: "planMenu"
        x: screen.width - width - 8
        y: bar.height + 4
        onOpenRequested: screen.openLibrary()
        onSaveRequested: screen.saveToLibrary()
        onImportRequested: screen.importPlanFile()
        onExportRequested: screen.exportPlanFile()
        onDownloadAreaRequested: screen.beginAreaDownload()
    }

    // The two StandardKey lines silence qmllint's unqualified check there: Qt 6.4's qmllint finds
    // no enum in StandardKey, which Qt Quick registers as a value type under an upper-case name.
    Shortcut {
        sequences: [StandardKey.Open] // qmllint disable unqualified
        enabled: screen.visible
        onActivated: screen.openLibrary()
    }
    Shortcut {
        sequences: [StandardKey.Save] // qmllint disable unqualified
        enabled: screen.visible
        onActivated: screen.saveToLibrary()
    }

    // Files from and to other apps go through the platform's own dialog, from the pilot's
    // documents.
    FileDialog {
        id: importDialog
        title: "Import Plan"
        // The screen's window is known only once the screen is shown in it.
        parentWindow: screen.Window.window
        fileMode: FileDialog.OpenFile
        currentFolder: library.documentsFolder
        nameFilters: ["Flight plans (*.plan *.waypoints *.txt *.kml *.kmz *.geojson *.json *.gpx)", "All files (*)"]
        onAccepted: library.importFile(selectedFile)
    }
    FileDialog {
        id: exportDialog
        title: "Export Plan"
        parentWindow: screen.Window.window
        fileMode: FileDialog.SaveFile
        // Qt's own dialog, where the platform has none, says "Open" otherwise.
        acceptLabel: "Save"
        currentFolder: library.documentsFolder
        selectedFile: library.suggestedExportFile
        nameFilters: ["QGroundControl plan (*.plan)", "Waypoint list (*.waypoints)", "KML (*.kml)", "KMZ (*.kmz)",
                      "GeoJSON (*.geojson)"]
        // A name typed without an extension takes the chosen type's.
        onAccepted: library.exportPlan(selectedFile, selectedNameFilter.extensions.length > 0 ? selectedNameFilter.extensions[0] : "")
    }

    Connections {
        target: plan
        // The area is in the screen's coordinates; the map sits beside the panel in landscape.
        function onPlanOpened(south, west, north, east) { screen.showBounds(south, west, north, east) }
    }


    // Between and around the tool buttons a touch is theirs, not the map's.
    PointerShield {
        visible: tools.visible
        x: tools.x
        y: tools.y
        width: tools.width
        height: tools.height
        blocksWheel: true
    }
    // Tool column: 16 from the right, 100 below the top of the content area, or higher where a
    // short window's card (or, beside the card, the window's own bottom) would reach it.
    Column {
        id: tools
        objectName: "mapTools"
        visible: !screen.choosingArea
        anchors.right: parent.right
        anchors.rightMargin: 16
        y: Math.max(bar.height + 8, Math.min(bar.height + 100, (panel.beside ? screen.height : panel.y) - 8 - height))
        spacing: 12
        MapToolButton {
            objectName: "addTool"
            iconName: "plus.circle.fill"
            color: Theme.themeGold
            Accessible.name: "Add waypoint"
            // Waypoints are added by tapping the map; this runs the same step.
            onClicked: plan.addWaypoint()
        }
        MapToolButton {
            objectName: "surveyTool"
            iconName: "map.fill"
            color: survey.active ? "white" : Theme.themeGold
            Accessible.name: "Survey Area"
            onClicked: survey.active ? survey.finish() : survey.begin()
        }
        MapToolButton {
            objectName: "listTool"
            iconName: "list.bullet"
            color: "white"
            Accessible.name: "Waypoint list"
            onClicked: plan.showWaypointList = true
        }
        MapToolButton {
            objectName: "previewTool"
            visible: plan.showsPreviewTool
            iconName: "view.3d"
            color: Theme.themeGold
            Accessible.name: "3D preview"
            onClicked: plan.show3DPreview = true
        }
        MapToolButton {
            objectName: "undoTool"
            visible: plan.canUndo && !survey.active
            iconName: "arrow.uturn.backward"
            color: "white"
            Accessible.name: "Undo"
            onClicked: plan.undo()
        }
        MapToolButton {
            objectName: "trashTool"
            visible: plan.showsTrashTool
            iconName: "trash.fill"
            color: Theme.platformRed
            Accessible.name: "Delete waypoint"
            onClicked: plan.deleteSelectedWaypoint()
        }
    }

    MissionControlPanel {
        id: panel
        objectName: "missionControlPanel"
        visible: !screen.choosingArea && !survey.active
        plan: plan
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 8
        // In a short, wide window (a phone on its side) a full-width card would cover the
        // whole map and the tool column; there it keeps to the left. It leaves the map 280 wide
        // where it can, and is never narrower than on the smallest phone held upright.
        readonly property bool beside: parent.width > parent.height && parent.height < 600
        // Beside the map it takes none of the map's height: it folds only below it.
        collapsible: !beside
        width: beside ? Math.min(460, Math.max(304, parent.width - 16 - 280)) : parent.width - 16
        // Below the title bar at most, and below the tool column unless beside it; the card
        // scrolls within that.
        height: Math.min(implicitHeight, beside ? parent.height - bar.height - 16
                                                : parent.height - bar.height - 24 - tools.height - 8)
        onShowWaypoints: plan.showWaypointList = true
        onShowShotDesigner: plan.showShotDesigner = true
        onExecuteMission: plan.executeMission()
    }

    // Where the mission panel was, while the survey tool is open.
    SurveyPanel {
        id: surveyCard
        objectName: "surveyPanel"
        visible: survey.active
        survey: survey
        x: panel.x
        width: panel.width
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 8
        height: Math.min(implicitHeight, panel.beside ? screen.height - bar.height - 16 : Math.max(240, screen.height * 0.45))
        onDoneRequested: survey.finish()
    }

    // The area to download: what the map shows above the card (or beside it).
    Rectangle {
        id: areaFrame
        objectName: "areaFrame"
        visible: screen.choosingArea && !areaCard.showsProgress
        x: map.x + 24
        y: bar.height + 24
        width: Math.max(40, screen.width - 24 - x)
        height: Math.max(40, (panel.beside ? screen.height - 24 : areaCard.y - 16) - y)
        color: Theme.alpha(Theme.themeGold, 0.08)
        border.width: 2
        border.color: Theme.themeGold
        radius: 4
        onXChanged: screen.frameArea()
        onYChanged: screen.frameArea()
        onWidthChanged: screen.frameArea()
        onHeightChanged: screen.frameArea()
        Accessible.role: Accessible.Graphic
        Accessible.name: "Area to download"
    }

    OfflineAreaCard {
        id: areaCard
        objectName: "offlineAreaCard"
        visible: screen.choosingArea
        select: areaSelect
        maps: App.offlineMaps
        x: panel.x
        width: panel.width
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 8
        height: Math.min(implicitHeight, screen.height - bar.height - 16)
        onCloseRequested: screen.choosingArea = false
        onDownloadRequested: {
            App.offlineMaps.startDownload(areaSelect.south, areaSelect.west, areaSelect.north, areaSelect.east,
                                          areaSelect.minZoom, areaSelect.maxZoom, map.imageryUrlTemplate)
        }
    }

    // The imagery provider's attribution, kept visible on the map: above the card, or at the
    // map's foot beside it.
    Text {
        id: attribution
        objectName: "mapAttribution"
        anchors.left: map.left
        anchors.leftMargin: 12
        anchors.bottom: panel.beside ? parent.bottom
                                    : (screen.choosingArea ? areaCard.top : (survey.active ? surveyCard.top : panel.top))
        anchors.bottomMargin: panel.beside ? 8 : 4
        // Credited only while its imagery is drawn.
        visible: map.attribution !== "" && map.imageryShown
        text: "\u00A9 " + map.attribution
        color: Theme.alpha("white", 0.75)
        style: Text.Outline
        styleColor: Theme.alpha("black", 0.5)
        font.family: Theme.fontFamily
        font.pixelSize: Theme.caption2
    }

    // No imagery could be had: said once, on the map, with the way to have it offline.
    MapOfflineNotice {
        id: offlineNotice
        objectName: "mapOfflineNotice"
        visible: map.imageryUnreachable && !screen.offlineNoticeDismissed && !screen.choosingArea
        x: fileBanner.x
        width: fileBanner.width
        y: fileBanner.visible ? fileBanner.y + fileBanner.height + 8 : fileBanner.y
        onDismissRequested: screen.offlineNoticeDismissed = true
    }

    // Above the panel: a message may cover its top until tapped away.
    PlanFileBanner {
        id: fileBanner
        objectName: "planFileMessage"
        x: panel.beside ? panel.x + panel.width + 8 : 8
        y: bar.height + 8
        width: tools.x - 8 - x
        text: plan.fileMessage
        isError: plan.fileMessageIsError
        onDismissRequested: plan.dismissFileMessage()
    }

    ConfirmationDialog {
        id: replaceConfirm
        objectName: "replaceConfirm"
        presented: plan.replacePending
        title: "Replace the current plan?"
        message: plan.replaceMessage
        destructiveText: "Replace"
        onDestructiveTriggered: plan.confirmReplace()
        onDismissed: plan.cancelReplace()
    }

    ConfirmationDialog {
        id: replaceMissionConfirm
        objectName: "replaceMissionConfirm"
        presented: plan.replaceMissionPending
        title: "Replace the running mission?"
        message: plan.replaceMissionMessage
        destructiveText: "Replace"
        onDestructiveTriggered: plan.confirmReplaceMission()
        onDismissed: plan.cancelReplaceMission()
    }

    // qmllint disable unqualified
    ModalSheet {
        id: listSheet
        presented: plan.showWaypointList
        detents: ["medium", "large"]
        onDismissed: plan.showWaypointList = false
        sheetContent: Component {
            WaypointListSheet {
                plan: screen.plan
                onDone: listSheet.dismiss()
            }
        }
    }

    ModalSheet {
        id: shotSheet
        presented: plan.showShotDesigner
        detents: ["large"]
        onDismissed: plan.showShotDesigner = false
        sheetContent: Component {
            ShotDesignerSheet {
                settings: screen.plan.shotDesignerSettings
                onDone: shotSheet.dismiss()
            }
        }
    }

    ModalSheet {
        id: previewSheet
        presented: plan.show3DPreview
        detents: ["large"]
        onDismissed: plan.show3DPreview = false
        sheetContent: Component {
            // Copies taken as the sheet opens; nothing goes back to the plan.
            Mission3DPreviewSheet {
                Component.onCompleted: {
                    preview.waypointCount = screen.plan.waypointCount
                    preview.altitude = screen.plan.missionAltitude
                }
                onDone: previewSheet.dismiss()
            }
        }
    }

    ModalSheet {
        id: librarySheet
        objectName: "librarySheet"
        presented: library.showLibrary
        detents: ["large"]
        onDismissed: library.showLibrary = false
        sheetContent: Component {
            PlanLibrarySheet {
                library: screen.library
                onDone: librarySheet.dismiss()
                onImportRequested: screen.importPlanFile()
            }
        }
    }

    // Over the library when it renames one of its plans. Half the window where the name, the
    // button and a keyboard fit in it.
    ModalSheet {
        id: nameSheet
        objectName: "nameSheet"
        presented: library.nameForm.presented
        detents: screen.height >= 700 ? ["medium", "large"] : ["large"]
        onDismissed: library.nameForm.presented = false
        sheetContent: Component {
            PlanNameSheet {
                form: screen.library.nameForm
                keyboardOverlap: nameSheet.keyboardOverlap
                onCancel: nameSheet.dismiss()
            }
        }
    }
    // qmllint enable unqualified
}
