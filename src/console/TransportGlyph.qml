import QtQuick
import Starlume.Console

// The transport key's mark, 8 points high: two bars (pause) or a triangle
// pointing right (play).
Item {
    id: root

    property bool playing: true
    property color color: ConsoleTheme.primary

    objectName: "transportGlyph"
    implicitWidth: 7
    implicitHeight: 8

    Rectangle {
        visible: root.playing
        x: 0.5
        width: 2.2; height: root.height
        radius: 0.5
        color: root.color
    }
    Rectangle {
        visible: root.playing
        x: root.width - 2.7
        width: 2.2; height: root.height
        radius: 0.5
        color: root.color
    }
    // A square turned 45 degrees behind a window of its right half: a
    // right-pointing triangle without a shape renderer.
    Item {
        visible: !root.playing
        x: 1
        width: root.height / 2
        height: root.height
        clip: true
        Rectangle {
            width: root.height / Math.SQRT2
            height: width
            x: -width / 2
            y: (root.height - height) / 2
            rotation: 45
            antialiasing: true
            color: root.color
        }
    }
}
