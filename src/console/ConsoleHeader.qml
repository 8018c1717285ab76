import QtQuick
import Starlume.Console

// The header bar: the nameplate at the left, the engine lamp and the freeze
// button at the right.
HardwarePanelSurface {
    id: root

    required property ConsoleBoard board

    objectName: "header"
    cornerRadius: 9
    depth: 0.55
    horizontalPadding: 10
    verticalPadding: 10
    implicitHeight: nameplate.implicitHeight + 2 * verticalPadding

    Item {
        width: parent.width
        height: parent.height

        ConsoleNameplate {
            id: nameplate
            anchors.verticalCenter: parent.verticalCenter
        }
        Row {
            anchors.right: parent.right
            anchors.rightMargin: 8
            anchors.verticalCenter: parent.verticalCenter
            spacing: 12
            StatusBadge {
                objectName: "engineStatus"
                text: "ENGINE LIVE"
                lampColor: ConsoleTheme.meterGreen
            }
            FreezeButton {
                board: root.board
            }
        }
    }
}
