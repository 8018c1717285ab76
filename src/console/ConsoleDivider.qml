import QtQuick

// An engraved line between sections: a shadowed groove over a lit edge.
Item {
    implicitHeight: 2

    Rectangle {
        width: parent.width
        height: 1
        color: Qt.rgba(0, 0, 0, 0.5)
    }
    Rectangle {
        y: 1
        width: parent.width
        height: 1
        color: Qt.rgba(1, 1, 1, 0.055)
    }
}
