pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// The glowworm's bus: its title, the glow master (meter, fader in dB,
// readout that turns red when the bus is off, mute and solo) and the five
// controls that shape the creature.
HardwarePanelSurface {
    id: root

    required property ConsoleBoard board
    readonly property var parameters: board.parameters
    readonly property var meters: board.meters
    readonly property var glow: board.glowMaster
    readonly property real masterDB: parameters ? parameters.glowwormMasterDB : glow.defaultValue

    objectName: "creatureBus"
    cornerRadius: 7
    depth: 0.72
    horizontalPadding: 11
    verticalPadding: 10

    Column {
        spacing: 8

        // The title runs along the strips' name line: beside six fader
        // columns there is no width left for a column of its own, and on this
        // line every fader of the board starts at the same height.
        Row {
            objectName: "creatureTitle"
            height: nameLine.implicitHeight
            spacing: 10
            Text {
                anchors.baseline: nameLine.baseline
                text: "CREATURE BUS"
                color: ConsoleTheme.secondary
                font.pixelSize: 9
                font.weight: Font.DemiBold
                font.letterSpacing: 1.0
            }
            StripTitle {
                id: nameLine
                text: "GLOWWORM"
            }
            StripSubtitle {
                anchors.baseline: nameLine.baseline
                text: "Metabolic voice \u00b7 post-channel control"
            }
        }

        Row {
            spacing: 9

            Column {
                objectName: "glowMasterColumn"
                spacing: 8
                CreatureCaption {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 98
                    text: root.glow.title
                }
                Row {
                    anchors.horizontalCenter: parent.horizontalCenter
                    spacing: 8
                    VUMeter {
                        objectName: "glowMasterMeter"
                        width: 38; height: 235
                        showScale: true
                        minimumDB: -60; maximumDB: 0
                        db: root.meters ? root.meters.glowwormDB : -60
                        peakDB: root.meters ? root.meters.glowwormPeakDB : -60
                    }
                    VerticalFader {
                        objectName: "glowMasterFader"
                        width: 52; height: 235
                        range: [root.glow.lower, root.glow.upper]
                        strip: root.glow.strip
                        defaultValue: root.glow.defaultValue
                        value: root.masterDB
                        onMoved: v => root.parameters.glowwormMasterDB = v
                    }
                }
                LEDGlassValueDisplay {
                    objectName: "glowMasterReadout"
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 74; height: 28
                    fontSize: 10.5
                    glowColor: ConsoleMapping.glowMasterIsSilent(root.masterDB) ? ConsoleTheme.redGlow : ConsoleTheme.mintGlow
                    text: ConsoleMapping.percentText(root.masterDB, root.glow.lower, root.glow.upper)
                }
                // Where the voice strips have RESET: the keys line up across the board.
                Item {
                    width: 1
                    height: 16
                }
                MuteSoloButtons {
                    anchors.horizontalCenter: parent.horizontalCenter
                    key: "glowMaster"
                    muted: root.parameters ? root.parameters.glowwormMuted : false
                    solo: root.parameters ? root.parameters.glowwormSolo : false
                    onMuteClicked: root.parameters.glowwormMuted = !muted
                    onSoloClicked: root.parameters.glowwormSolo = !solo
                }
            }

            Repeater {
                model: root.board.creatureControls
                CreatureControl {
                    required property var modelData
                    control: modelData
                    parameters: root.parameters
                }
            }
        }
    }
}
