import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// Freezes and resumes the engine's evolution. Frozen: an ice-blue lamp and
// border on a dark blue-green face; free: a dim lamp on a neutral face.
AbstractButton {
    id: root

    required property ConsoleBoard board
    readonly property bool frozen: board.isFrozen
    readonly property string toolTip: board.freezeToolTip

    objectName: "freezeButton"
    text: board.freezeLabel
    implicitWidth: row.implicitWidth + 22
    implicitHeight: 26
    padding: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    ToolTip.text: toolTip
    ToolTip.visible: hovered
    ToolTip.delay: 600

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.description: toolTip

    onClicked: board.toggleFreeze()

    background: Item {
        Rectangle {
            visible: root.frozen
            anchors.centerIn: parent
            width: parent.width + 8
            height: parent.height + 8
            radius: 10
            color: Qt.rgba(ConsoleTheme.iceBlue.r, ConsoleTheme.iceBlue.g, ConsoleTheme.iceBlue.b, 0.1)
        }
        Rectangle {
            anchors.fill: parent
            radius: 6
            gradient: Gradient {
                GradientStop {
                    position: 0.0
                    color: root.frozen ? Qt.rgba(0.07, 0.2, 0.23, 1) : Qt.rgba(0.16, 0.168, 0.176, 1)
                }
                GradientStop {
                    position: 1.0
                    color: root.frozen ? Qt.rgba(0.03, 0.11, 0.13, 1) : Qt.rgba(0.085, 0.09, 0.096, 1)
                }
            }
            border.width: 1
            border.color: root.frozen ? Qt.rgba(ConsoleTheme.iceBlue.r, ConsoleTheme.iceBlue.g, ConsoleTheme.iceBlue.b, 0.75)
                                      : Qt.rgba(1, 1, 1, root.hovered ? 0.2 : 0.12)
        }
        Rectangle {
            x: 1; y: 1
            width: parent.width - 2
            height: parent.height / 2 - 1
            radius: 5
            color: Qt.rgba(1, 1, 1, root.pressed ? 0.02 : 0.06)
        }
    }

    contentItem: Item {
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 7
            ConsoleLamp {
                objectName: "freezeLamp"
                anchors.verticalCenter: parent.verticalCenter
                lit: root.frozen
                color: ConsoleTheme.iceBlue
            }
            Text {
                objectName: "freezeLabel"
                anchors.verticalCenter: parent.verticalCenter
                text: root.text
                color: root.frozen ? ConsoleTheme.iceBlue : ConsoleTheme.primary
                font.family: ConsoleTheme.monospaceFamily
                font.pixelSize: 9
                font.bold: true
                font.letterSpacing: 1.0
            }
        }
    }
}
