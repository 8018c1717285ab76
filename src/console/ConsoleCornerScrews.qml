pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// The four large screws that hold the board in its frame, 7 points in from
// each corner.
Item {
    id: root

    readonly property real headSize: 11
    readonly property real centreInset: 7

    Repeater {
        model: [
            { "right": false, "bottom": false, "angle": 28 },
            { "right": true, "bottom": false, "angle": -52 },
            { "right": false, "bottom": true, "angle": -8 },
            { "right": true, "bottom": true, "angle": 71 }
        ]
        DomedHead {
            required property var modelData
            width: root.headSize
            height: root.headSize
            x: (modelData.right ? root.width - root.centreInset : root.centreInset) - width / 2
            y: (modelData.bottom ? root.height - root.centreInset : root.centreInset) - height / 2
            rimColor: Qt.rgba(1, 1, 1, 0.14)
            rimWidth: 0.7
            shadowOpacity: 0.75
            slotAngle: modelData.angle
        }
    }
}
