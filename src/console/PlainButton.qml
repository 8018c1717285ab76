import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// A small engraved text button ("RESET", "FULL").
AbstractButton {
    id: root

    implicitWidth: Math.max(label.implicitWidth + 14, 44)
    implicitHeight: 16
    padding: 0
    focusPolicy: Qt.NoFocus
    hoverEnabled: true

    Accessible.role: Accessible.Button
    Accessible.name: text

    background: Rectangle {
        radius: 4
        color: root.pressed ? Qt.rgba(1, 1, 1, 0.1) : root.hovered ? Qt.rgba(1, 1, 1, 0.06) : Qt.rgba(1, 1, 1, 0.025)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.07)
    }
    contentItem: Text {
        id: label
        text: root.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: ConsoleTheme.secondary
        font.pixelSize: 9
        font.weight: Font.DemiBold
        font.letterSpacing: 0.6
    }
}
