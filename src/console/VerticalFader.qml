pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// A studio fader. A press moves the cap straight to the pointer (absolute
// positioning) and the cap follows while dragged; a double-click returns it
// to `defaultValue`.
//
// Two-way binding: the owner binds `value` to its model and writes every
// user change back from moved(). The fader never assigns `value` itself, so
// the owner's binding survives and outside changes (presets, the system
// volume) keep moving the cap:
//     VerticalFader {
//         value: parameters.fieldLevel
//         range: [0, 0.2]
//         defaultValue: 0.078
//         onMoved: v => parameters.fieldLevel = v
//     }
Item {
    id: root

    property real value: 0
    property var range: [0, 1]
    property real defaultValue: 0
    // The strip the fader belongs to, named in its accessibility description.
    property string strip
    readonly property bool isDragging: pointer.dragging

    signal moved(real value)

    readonly property real lower: Number(range[0])
    readonly property real upper: Number(range[1])
    readonly property real trackHeight: Math.max(height, 1)
    readonly property real capCenterY: ConsoleMapping.faderCapCenterY(value, lower, upper, trackHeight)
    readonly property string valueText: ConsoleMapping.faderValueText(value)
    // Read by the accessibility value interface.
    readonly property real minimumValue: lower
    readonly property real maximumValue: upper
    readonly property real stepSize: (upper - lower) / 100

    implicitWidth: 58
    implicitHeight: 235

    Accessible.role: Accessible.Slider
    Accessible.name: "Audio fader"
    Accessible.description: ConsoleMapping.faderDescription(strip, value)
    Accessible.focusable: true
    Accessible.onIncreaseAction: root.moved(ConsoleMapping.faderIncremented(root.value, root.lower, root.upper))
    Accessible.onDecreaseAction: root.moved(ConsoleMapping.faderDecremented(root.value, root.lower, root.upper))

    // Keyboard: Tab reaches the fader; the arrows, Page Up/Down, Home/End
    // and Enter move it.
    activeFocusOnTab: true
    Keys.onPressed: event => {
        const next = ConsoleMapping.faderKeyValue(root.value, root.lower, root.upper, root.defaultValue, event.key)
        if (next !== undefined) {
            root.moved(next)
            event.accepted = true
        }
    }

    FocusRing {
        shown: root.activeFocus
        radius: 5
    }

    readonly property real slotWidth: 6
    readonly property real slotLeft: (width - slotWidth) / 2

    // Recessed slot: dark floor, shadowed left wall, lit right lip.
    Rectangle {
        id: slot
        x: root.slotLeft
        y: 3
        width: root.slotWidth
        height: Math.max(root.height - 6, 0)
        radius: 3
        gradient: Gradient {
            orientation: Gradient.Horizontal
            GradientStop { position: 0.0; color: "#000000" }
            GradientStop { position: 0.45; color: "#050607" }
            GradientStop { position: 1.0; color: "#15171a" }
        }
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.6)
    }
    Rectangle {
        x: slot.x + slot.width - 0.5
        y: slot.y + 3
        width: 1
        height: Math.max(slot.height - 6, 0)
        color: Qt.rgba(1, 1, 1, 0.07)
    }

    // Scale: eleven tick rows on both sides, long at the ends and middle.
    Repeater {
        model: 11
        Item {
            required property int index
            readonly property bool major: index % 5 === 0
            readonly property real tickWidth: major ? 12 : 7
            y: index * (root.height - 1) / 10
            width: root.width
            height: 1
            opacity: major ? 0.45 : 0.22
            Rectangle {
                x: root.slotLeft - 5 - parent.tickWidth
                width: parent.tickWidth
                height: 1
                color: ConsoleTheme.primary
            }
            Rectangle {
                x: root.slotLeft + root.slotWidth + 5
                width: parent.tickWidth
                height: 1
                color: ConsoleTheme.primary
            }
        }
    }

    // Cap: a machined aluminium block with grip grooves and a reading line.
    Item {
        id: cap
        objectName: "cap"
        width: Math.max(0.66 * root.width, 36)
        height: 28
        x: (root.width - width) / 2
        y: root.capCenterY - height / 2
        scale: root.isDragging ? 1.025 : 1.0

        Rectangle {
            x: -1; y: 3; width: parent.width + 2; height: parent.height + 2
            radius: 6
            color: Qt.rgba(0, 0, 0, 0.22)
        }
        Rectangle {
            x: 0; y: 1.5; width: parent.width; height: parent.height + 1
            radius: 5
            color: Qt.rgba(0, 0, 0, 0.45)
        }
        Rectangle {
            anchors.fill: parent
            radius: 4
            gradient: Gradient {
                GradientStop { position: 0.0; color: Qt.rgba(0.64, 0.65, 0.67, 1) }
                GradientStop { position: 0.1; color: Qt.rgba(0.50, 0.51, 0.53, 1) }
                GradientStop { position: 0.5; color: Qt.rgba(0.34, 0.35, 0.37, 1) }
                GradientStop { position: 0.9; color: Qt.rgba(0.21, 0.22, 0.23, 1) }
                GradientStop { position: 1.0; color: Qt.rgba(0.13, 0.135, 0.14, 1) }
            }
        }
        Repeater {
            model: [-10, -6, 6, 10]
            Item {
                required property var modelData
                x: 4
                y: cap.height / 2 + modelData - 1
                width: cap.width - 8
                height: 2
                Rectangle { width: parent.width; height: 1; color: Qt.rgba(0, 0, 0, 0.42) }
                Rectangle { y: 1; width: parent.width; height: 1; color: Qt.rgba(1, 1, 1, 0.14) }
            }
        }
        Rectangle {
            x: 2
            y: cap.height / 2 - 0.75
            width: cap.width - 4
            height: 1.5
            color: Qt.rgba(1, 1, 1, 0.9)
        }
        GradientOutline {
            anchors.fill: parent
            radius: 4
            lineWidth: 1
            topColor: Qt.rgba(1, 1, 1, 0.5)
            middleColor: Qt.rgba(1, 1, 1, 0.08)
            bottomColor: Qt.rgba(0, 0, 0, 0.6)
        }
    }

    MouseArea {
        id: pointer

        property bool dragging: false
        // After a double-click the rest of that press must not overwrite the
        // default with the pointer's position.
        property bool holdingDefault: false

        function valueAt(y) {
            return ConsoleMapping.faderValueAt(y, root.trackHeight, root.lower, root.upper)
        }

        anchors.fill: parent
        preventStealing: true
        onPressed: mouse => {
            holdingDefault = false
            dragging = true
            root.moved(valueAt(mouse.y))
        }
        onPositionChanged: mouse => {
            if (pressed && !holdingDefault)
                root.moved(valueAt(mouse.y))
        }
        onReleased: mouse => {
            if (!holdingDefault)
                root.moved(valueAt(mouse.y))
            dragging = false
            holdingDefault = false
        }
        onDoubleClicked: {
            holdingDefault = true
            dragging = false
            root.moved(root.defaultValue)
        }
        onCanceled: {
            dragging = false
            holdingDefault = false
        }
    }
}
