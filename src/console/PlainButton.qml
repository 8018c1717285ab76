import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// A plain text button ("RESET", "FULL"): an engraved legend with no face of
// its own, dimmed while pressed.
AbstractButton {
    id: root

    implicitWidth: Math.max(contentItem.implicitWidth + 14, 44)
    implicitHeight: 16
    padding: 0
    focusPolicy: Qt.TabFocus
    hoverEnabled: true

    Accessible.role: Accessible.Button
    Accessible.name: text

    background: Item {
        FocusRing {
            shown: root.visualFocus
            gap: 0
        }
    }
    contentItem: Text {
        text: root.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: ConsoleTheme.secondary
        opacity: root.pressed ? 0.55 : 1.0
        font.pixelSize: 9
        font.weight: Font.DemiBold
        font.letterSpacing: 0.6
    }
}
