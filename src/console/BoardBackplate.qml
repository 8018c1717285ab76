pragma ComponentBehavior: Bound

import QtQuick

// The brushed metal behind the whole board: a dark gradient crossed by 28
// faint horizontal stripes, alternately lighter and darker.
Item {
    id: root

    Rectangle {
        anchors.fill: parent
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.105, 0.112, 0.118, 1) }
            GradientStop { position: 0.5; color: Qt.rgba(0.06, 0.064, 0.069, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.085, 0.09, 0.096, 1) }
        }
    }
    Repeater {
        model: 28
        Rectangle {
            required property int index
            y: index * (root.height - 1) / 27
            width: root.width
            height: 1
            color: index % 2 === 0 ? Qt.rgba(1, 1, 1, 0.01) : Qt.rgba(0, 0, 0, 0.015)
        }
    }
}
