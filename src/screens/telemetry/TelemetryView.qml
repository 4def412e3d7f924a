pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Layouts
import Zeltrin

// Every value the drone link holds, in four sections. Reads and formats only.
Rectangle {
    id: view
    color: Theme.themeBackground
    readonly property alias model: telemetry

    TelemetryModel {
        id: telemetry
        drone: App.droneManager
    }

    NavigationContainer {
        anchors.fill: parent
        initialPage: Component {
            ZPage {
                title: "Telemetry"
                Flickable {
                    id: flick
                    anchors.fill: parent
                    contentWidth: width
                    contentHeight: column.implicitHeight + 32
                    boundsBehavior: Flickable.DragOverBounds
                    ZScrollIndicator { flickable: flick }

                    ColumnLayout {
                        id: column
                        x: 16
                        y: 16
                        width: flick.width - 32
                        spacing: 14
                        Repeater {
                            model: telemetry.sections
                            TelemetrySection {
                                id: section
                                required property var modelData
                                title: modelData.title
                                Repeater {
                                    model: section.modelData.rows
                                    TelemetryRow {
                                        required property var modelData
                                        required property int index
                                        objectName: modelData.key + "Row"
                                        lastInCard: index === section.modelData.rows.length - 1
                                        label: modelData.label
                                        value: telemetry.values[modelData.key] ?? ""
                                    }
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
