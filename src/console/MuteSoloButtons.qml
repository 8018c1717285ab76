import QtQuick
import Starlume.Console

// "M" and "S" for one voice; each click flips only its own flag.
Row {
    id: root

    property string key
    property bool muted: false
    property bool solo: false
    signal muteClicked()
    signal soloClicked()

    spacing: 6

    SwitchButton {
        objectName: root.key + "Mute"
        text: "M"
        lit: root.muted
        litColor: ConsoleTheme.meterRed
        onClicked: root.muteClicked()
    }
    SwitchButton {
        objectName: root.key + "Solo"
        text: "S"
        lit: root.solo
        litColor: ConsoleTheme.meterYellow
        onClicked: root.soloClicked()
    }
}
