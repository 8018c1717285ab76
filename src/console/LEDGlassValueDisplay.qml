pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// An illuminated readout behind dark glass: five faint segment cells and a
// glowing monospaced value.
Item {
    id: root

    property string text
    property real fontSize: 10.5
    property color glowColor: ConsoleTheme.mintGlow

    implicitWidth: 66
    implicitHeight: 28

    Accessible.role: Accessible.StaticText
    Accessible.name: text

    function tint(alpha) {
        return Qt.rgba(glowColor.r, glowColor.g, glowColor.b, alpha)
    }

    Rectangle {
        id: plate
        anchors.fill: parent
        radius: 5
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.035, 0.045, 0.042, 1) }
            GradientStop { position: 0.5; color: Qt.rgba(0.012, 0.018, 0.016, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.02, 0.026, 0.024, 1) }
        }
        border.width: 1
        border.color: root.tint(0.3)
    }

    Row {
        id: cells
        x: 4
        y: 4
        width: Math.max(root.width - 8, 0)
        height: Math.max(root.height - 8, 0)
        spacing: 2
        opacity: 0.65
        Repeater {
            model: 5
            Rectangle {
                width: Math.max((cells.width - 4 * cells.spacing) / 5, 0)
                height: cells.height
                radius: 1.5
                color: root.tint(0.05)
                border.width: 1
                border.color: root.tint(0.07)
            }
        }
    }

    GlowText {
        anchors.centerIn: parent
        text: root.text
        color: root.glowColor
        pixelSize: root.fontSize
        weight: Font.Bold
        letterSpacing: 0.8
    }

    // Reflection on the upper half of the glass.
    Rectangle {
        x: 1
        y: 1
        width: Math.max(root.width - 2, 0)
        height: Math.max(root.height / 2 - 1, 0)
        radius: 4
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.09) }
            GradientStop { position: 1.0; color: Qt.rgba(1, 1, 1, 0.0) }
        }
    }
}
