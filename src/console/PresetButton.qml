import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// One preset key: lit (bright face, primary legend) while its preset is active.
AbstractButton {
    id: root

    property bool lit: false

    implicitWidth: contentItem.implicitWidth + 20
    implicitHeight: 22
    padding: 0
    hoverEnabled: true
    focusPolicy: Qt.TabFocus

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.checked: lit

    background: Rectangle {
        radius: 5
        gradient: Gradient {
            GradientStop {
                position: 0.0
                color: root.lit ? Qt.rgba(0.27, 0.285, 0.3, 1) : Qt.rgba(0.115, 0.12, 0.128, 1)
            }
            GradientStop {
                position: 1.0
                color: root.lit ? Qt.rgba(0.17, 0.18, 0.19, 1) : Qt.rgba(0.07, 0.074, 0.08, 1)
            }
        }
        border.width: 1
        border.color: root.lit ? Qt.rgba(ConsoleTheme.mintGlow.r, ConsoleTheme.mintGlow.g, ConsoleTheme.mintGlow.b, 0.45)
                               : Qt.rgba(1, 1, 1, root.hovered ? 0.16 : 0.08)
        Rectangle {
            visible: root.lit
            anchors.horizontalCenter: parent.horizontalCenter
            y: 2
            width: parent.width - 12
            height: 1.5
            radius: 1
            color: ConsoleTheme.mintGlow
            opacity: 0.8
        }
        FocusRing {
            shown: root.visualFocus
            radius: 5
        }
    }
    contentItem: Text {
        text: root.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: root.lit ? ConsoleTheme.primary : ConsoleTheme.secondary
        font.pixelSize: 9
        font.bold: true
        font.letterSpacing: 0.7
    }
}
