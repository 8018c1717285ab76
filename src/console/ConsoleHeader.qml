import QtQuick
import Starlume.Console

// The header bar: the nameplate at the left; at the right the sleep timer,
// the engine lamp, the transport key and the freeze button.
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
            SleepTimerControl {
                anchors.verticalCenter: parent.verticalCenter
                board: root.board
            }
            StatusBadge {
                objectName: "engineStatus"
                anchors.verticalCenter: parent.verticalCenter
                text: root.board.engineStatusText
                lampColor: root.board.engineLampColor
                toolTip: root.board.engineStatusDetail
            }
            TransportButton {
                anchors.verticalCenter: parent.verticalCenter
                board: root.board
            }
            FreezeButton {
                anchors.verticalCenter: parent.verticalCenter
                board: root.board
            }
        }
    }
}
