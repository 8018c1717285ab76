import QtQuick
import Starlume.Console

// The footer: the signal flow, the lock notice while frozen, and the hint.
Item {
    id: root

    required property ConsoleBoard board

    objectName: "footer"
    implicitHeight: 18

    // One row in order, without flexible space.
    Row {
        objectName: "footerRow"
        anchors.verticalCenter: parent.verticalCenter
        leftPadding: 6
        spacing: 18
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "SIGNAL FLOW \u00b7 VOICES \u2192 SLM MIX \u2192 SYSTEM OUTPUT"
            color: ConsoleTheme.secondary
            font.family: ConsoleTheme.monospaceFamily
            font.pixelSize: 10
            font.weight: Font.DemiBold
            font.letterSpacing: 1.6
        }
        GlowText {
            objectName: "evolutionLocked"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.board.isFrozen
            text: "EVOLUTION LOCKED"
            color: Qt.rgba(0.58, 0.92, 1.0, 1)
            glowColor: ConsoleTheme.iceBlue
            // Qt 6.4's type information omits the application font.
            family: Qt.application.font.family // qmllint disable
            pixelSize: 9
            weight: Font.Bold
            letterSpacing: 1.2
            innerGlowOpacity: 0.45
            outerGlowOpacity: 0.2
        }
        Text {
            objectName: "footerHint"
            anchors.verticalCenter: parent.verticalCenter
            text: "Double-click any fader to return it to its default."
            color: ConsoleTheme.secondary
            font.pixelSize: 11
        }
    }
}
