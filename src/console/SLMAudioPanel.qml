pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// The mixer console: one 1226 x 760 board that shows every control and
// meter of the engine it is given. The host scales it as a whole.
ConsoleBoard {
    id: panel

    width: naturalBoardWidth
    height: naturalBoardHeight

    BoardBackplate {
        anchors.fill: parent
    }

    Column {
        x: 14
        y: 14
        width: panel.controlDeckWidth
        spacing: 9

        ConsoleHeader {
            width: panel.controlDeckWidth
            board: panel
        }
        ProfileBar {
            width: panel.controlDeckWidth
            board: panel
        }
        ConsoleDivider {
            width: panel.controlDeckWidth
        }
        Row {
            id: strips
            objectName: "stripRow"
            spacing: 14
            // Every strip stands as tall as the tallest, like modules in a rack.
            readonly property real stripHeight: Math.max(master.implicitHeight, creature.implicitHeight,
                                                          voices.count > 0 ? voices.itemAt(0).implicitHeight : 0)

            MasterStrip {
                id: master
                board: panel
                height: strips.stripHeight
            }
            Repeater {
                id: voices
                model: panel.voiceStrips
                VoiceStrip {
                    required property var modelData
                    strip: modelData
                    parameters: panel.parameters
                    meters: panel.meters
                    height: strips.stripHeight
                }
            }
            CreatureBus {
                id: creature
                board: panel
                height: strips.stripHeight
            }
        }
        ConsoleDivider {
            width: panel.controlDeckWidth
        }
        SpectrumSection {
            width: panel.controlDeckWidth
            board: panel
        }
        ConsoleDivider {
            width: panel.controlDeckWidth
        }
        ConsoleFooter {
            width: panel.controlDeckWidth
            board: panel
        }
    }

    BoardBorder {
        anchors.fill: parent
    }
}
