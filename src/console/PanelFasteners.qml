pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// Four small screws, 6.5 points in from each corner. Nothing here takes
// pointer input, so a press on a screw reaches the control beneath it.
Item {
    id: root

    readonly property real headSize: 8
    readonly property real centreInset: 6.5

    Repeater {
        // Slots at different angles, as a fitter would have left them.
        model: [
            { "right": false, "bottom": false, "angle": -38 },
            { "right": true, "bottom": false, "angle": 22 },
            { "right": false, "bottom": true, "angle": 64 },
            { "right": true, "bottom": true, "angle": -12 }
        ]
        DomedHead {
            required property var modelData
            width: root.headSize
            height: root.headSize
            x: (modelData.right ? root.width - root.centreInset : root.centreInset) - width / 2
            y: (modelData.bottom ? root.height - root.centreInset : root.centreInset) - height / 2
            rimColor: Qt.rgba(1, 1, 1, 0.12)
            rimWidth: 0.5
            shadowOpacity: 0.55
            slotAngle: modelData.angle
        }
    }
}
