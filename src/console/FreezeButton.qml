import QtQuick
import Starlume.Console

// Freezes and resumes the engine's evolution. Frozen: an ice-blue lamp and
// border on a dark blue-green face; free: a dim lamp on a neutral face.
HeaderKey {
    id: root

    required property ConsoleBoard board
    readonly property bool frozen: board.isFrozen

    objectName: "freezeButton"
    text: board.freezeLabel
    toolTip: board.freezeToolTip
    lit: frozen
    litColor: ConsoleTheme.iceBlue
    litFaceTop: Qt.rgba(0.07, 0.2, 0.23, 1)
    litFaceBottom: Qt.rgba(0.03, 0.11, 0.13, 1)

    onClicked: board.toggleFreeze()

    ConsoleLamp {
        objectName: "freezeLamp"
        lit: root.frozen
        color: ConsoleTheme.iceBlue
    }
}
