import QtQuick
import Starlume.Console

// The keyboard focus ring: a thin mint outline with a faint halo, drawn just
// outside the control it surrounds. It takes no input.
Item {
    id: root

    property bool shown: false
    property real radius: 4
    property real gap: 2

    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: -gap
    visible: shown
    z: 100

    Rectangle {
        anchors.fill: parent
        anchors.margins: -1.5
        radius: root.radius + root.gap + 1.5
        color: "transparent"
        border.width: 2
        border.color: Qt.rgba(ConsoleTheme.mintGlow.r, ConsoleTheme.mintGlow.g, ConsoleTheme.mintGlow.b, 0.22)
    }
    Rectangle {
        anchors.fill: parent
        radius: root.radius + root.gap
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(ConsoleTheme.mintGlow.r, ConsoleTheme.mintGlow.g, ConsoleTheme.mintGlow.b, 0.9)
    }
}
