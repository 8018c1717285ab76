pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// Four domed rivets centred `inset` points in from each corner.
Item {
    id: root

    property real inset: 8
    readonly property real headSize: 9

    Repeater {
        model: [[false, false], [true, false], [false, true], [true, true]]
        DomedHead {
            required property var modelData
            width: root.headSize
            height: root.headSize
            x: (modelData[0] ? root.width - root.inset : root.inset) - width / 2
            y: (modelData[1] ? root.height - root.inset : root.inset) - height / 2
            slotted: false
            brightness: 1.1
            rimColor: Qt.rgba(1, 1, 1, 0.12)
            rimWidth: 0.5
            shadowOpacity: 0.65
        }
    }
}
