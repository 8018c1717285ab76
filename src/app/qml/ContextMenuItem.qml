import QtQuick
import QtQuick.Controls.Basic

// One entry of the main window's context menu: a mark for the current
// choice, the text, and its keyboard shortcut on the right.
MenuItem {
    id: item

    property string hint: ""
    property bool marked: false

    implicitWidth: Math.max(240, leftPadding + contentItem.implicitWidth + rightPadding)
    implicitHeight: 28
    leftPadding: 28
    rightPadding: 14

    Accessible.name: text

    indicator: Text {
        x: 10
        anchors.verticalCenter: parent.verticalCenter
        visible: item.marked
        text: "\u2713"
        color: Qt.rgba(1, 1, 1, 0.88)
        font.pixelSize: 13
    }

    arrow: Text {
        x: item.width - width - 12
        anchors.verticalCenter: parent.verticalCenter
        visible: item.subMenu !== null
        text: "\u203A"
        color: Qt.rgba(1, 1, 1, 0.6)
        font.pixelSize: 15
    }

    contentItem: Item {
        implicitWidth: label.implicitWidth + (shortcut.text ? shortcut.implicitWidth + 28 : 0)
        implicitHeight: label.implicitHeight
        Text {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            text: item.text
            color: item.enabled ? Qt.rgba(1, 1, 1, 0.88) : Qt.rgba(1, 1, 1, 0.35)
            font.pixelSize: 13
        }
        Text {
            id: shortcut
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: item.hint
            color: Qt.rgba(1, 1, 1, 0.45)
            font.pixelSize: 12
        }
    }

    background: Rectangle {
        implicitWidth: 240
        implicitHeight: 28
        radius: 4
        color: item.highlighted ? Qt.rgba(1, 1, 1, 0.12) : "transparent"
    }
}
