import QtQuick
import Starlume.Console

// The sleep timer: a key that steps through the lengths and an LED readout
// of the time left ("OFF" while off).
Row {
    id: root

    required property ConsoleBoard board

    spacing: 6

    HeaderKey {
        id: key
        objectName: "sleepButton"
        anchors.verticalCenter: parent.verticalCenter
        text: "SLEEP"
        toolTip: root.board.sleepToolTip
        lit: root.board.sleepTimerActive
        litColor: ConsoleTheme.mintGlow
        onClicked: root.board.stepSleepTimer()

        ConsoleLamp {
            lit: key.lit
            color: ConsoleTheme.mintGlow
        }
    }
    LEDGlassValueDisplay {
        objectName: "sleepReadout"
        anchors.verticalCenter: parent.verticalCenter
        width: 74; height: 26
        fontSize: 10.5
        glowColor: ConsoleTheme.mintGlow
        text: root.board.sleepTimerText
        Accessible.description: "Sleep timer, time left"
    }
}
