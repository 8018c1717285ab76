import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// A 24 x 20 latching key ("M", "S"): lit in its own colour with a black
// legend, otherwise a dim cap.
AbstractButton {
    id: root

    property bool lit: false
    property color litColor: ConsoleTheme.meterRed

    implicitWidth: 24
    implicitHeight: 20
    padding: 0
    focusPolicy: Qt.TabFocus

    Accessible.role: Accessible.CheckBox
    Accessible.name: text
    Accessible.checked: lit

    background: Item {
        Rectangle {
            visible: root.lit
            anchors.centerIn: parent
            width: parent.width + 6
            height: parent.height + 6
            radius: 7
            color: Qt.rgba(root.litColor.r, root.litColor.g, root.litColor.b, 0.16)
        }
        Rectangle {
            anchors.fill: parent
            radius: 4
            color: root.lit ? root.litColor : Qt.rgba(1, 1, 1, 0.07)
            border.width: 1
            border.color: root.lit ? Qt.rgba(0, 0, 0, 0.35) : Qt.rgba(1, 1, 1, 0.09)
        }
        Rectangle {
            x: 1; y: 1
            width: parent.width - 2
            height: parent.height / 2 - 1
            radius: 3
            color: Qt.rgba(1, 1, 1, root.lit ? 0.22 : 0.04)
        }
        FocusRing {
            shown: root.visualFocus
        }
    }
    contentItem: Text {
        text: root.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: root.lit ? "black" : ConsoleTheme.secondary
        font.family: ConsoleTheme.monospaceFamily
        font.pixelSize: 9
        font.bold: true
    }
}
