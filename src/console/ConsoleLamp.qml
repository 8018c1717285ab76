pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// A 7 x 7 indicator lamp: a lit lens with a soft halo, or a dark one.
Item {
    id: root

    property color color: ConsoleTheme.mintGlow
    property bool lit: true
    property color unlitColor: Qt.rgba(ConsoleTheme.secondary.r, ConsoleTheme.secondary.g,
                                       ConsoleTheme.secondary.b, ConsoleTheme.secondary.a * 0.55)

    width: 7
    height: 7

    Repeater {
        model: root.lit ? [7, 4] : []
        Rectangle {
            required property var modelData
            anchors.centerIn: parent
            width: root.width + 2 * modelData
            height: width
            radius: width / 2
            color: Qt.rgba(root.color.r, root.color.g, root.color.b, modelData === 7 ? 0.1 : 0.22)
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: root.lit ? root.color : root.unlitColor
        border.width: 0.5
        border.color: Qt.rgba(0, 0, 0, 0.6)
    }
    // Highlight on the lens.
    Rectangle {
        x: 1.5; y: 1
        width: 2.5; height: 2
        radius: 1
        color: Qt.rgba(1, 1, 1, root.lit ? 0.7 : 0.18)
    }
}
