pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// The preset keys: the four built-in profiles, custom, SAVE CUSTOM, a dim
// amber "NOT SAVED" while the settings cannot be written, and the active
// profile's description.
HardwarePanelSurface {
    id: root

    required property ConsoleBoard board
    readonly property var manager: board.presetManager
    readonly property string activeID: manager ? manager.activeID : ""
    readonly property var presets: manager ? manager.presets : []
    readonly property bool saveFailing: manager ? manager.saveFailing : false

    objectName: "profileBar"
    cornerRadius: 7
    depth: 0.42
    horizontalPadding: 12
    verticalPadding: 7

    Row {
        spacing: 8

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "PROFILE"
            color: ConsoleTheme.secondary
            font.pixelSize: 9
            font.bold: true
            font.letterSpacing: 1.2
        }
        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 4
            Repeater {
                model: root.presets.slice(0, 4)
                PresetButton {
                    required property var modelData
                    objectName: "preset_" + modelData.id
                    text: modelData.label
                    lit: root.activeID === modelData.id
                    onClicked: root.board.applyPreset(modelData.id)
                }
            }
        }
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 1
            height: 22
            color: Qt.rgba(1, 1, 1, 0.12)
        }
        Row {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 3
            Repeater {
                model: root.presets.slice(4)
                PresetButton {
                    required property var modelData
                    objectName: "preset_" + modelData.id
                    text: modelData.label
                    lit: root.activeID === modelData.id
                    onClicked: root.board.applyPreset(modelData.id)
                }
            }
            PresetButton {
                objectName: "saveCustom"
                text: "SAVE CUSTOM"
                onClicked: root.board.saveCustomPreset()
            }
        }
        Row {
            objectName: "notSaved"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.saveFailing
            leftPadding: 4
            spacing: 5
            Accessible.role: Accessible.StaticText
            Accessible.name: "Not saved: the settings cannot be written"

            ConsoleLamp {
                anchors.verticalCenter: parent.verticalCenter
                color: Qt.rgba(1.0, 0.7, 0.22, 0.75)
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "NOT SAVED"
                color: ConsoleTheme.secondary
                font.pixelSize: 9
                font.bold: true
                font.letterSpacing: 1.2
            }
        }
        Text {
            objectName: "presetDescription"
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 6
            text: root.manager ? root.manager.activeDescription : ""
            color: ConsoleTheme.secondary
            font.pixelSize: 9
            font.weight: Font.Medium
        }
    }
}
