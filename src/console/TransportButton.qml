import QtQuick
import Starlume.Console

// Play and pause. The legend names what a press does; while paused the key
// is lit amber, like the engine lamp.
HeaderKey {
    id: root

    required property ConsoleBoard board

    objectName: "transportButton"
    text: board.transportLabel
    toolTip: board.transportToolTip
    lit: !board.isPlaying
    litColor: ConsoleTheme.amber

    onClicked: board.togglePlayPause()

    TransportGlyph {
        playing: root.board.isPlaying
        color: root.lit ? root.litColor : ConsoleTheme.primary
    }
}
