import QtQuick
import Starlume.Console

// One glowworm control: caption, fader and readout, with empty space where
// the voice strips have RESET and their mute and solo keys.
Column {
    id: root

    required property var control
    required property var parameters
    readonly property real level: parameters ? parameters[control.level] : 0

    spacing: 8

    CreatureCaption {
        anchors.horizontalCenter: parent.horizontalCenter
        width: 62
        text: root.control.title
    }
    VerticalFader {
        objectName: root.control.key + "Fader"
        anchors.horizontalCenter: parent.horizontalCenter
        width: 62; height: 235
        range: [root.control.lower, root.control.upper]
        strip: root.control.strip
        defaultValue: root.control.defaultValue
        value: root.level
        onMoved: v => root.parameters[root.control.level] = v
    }
    LEDGlassValueDisplay {
        objectName: root.control.key + "Readout"
        anchors.horizontalCenter: parent.horizontalCenter
        width: 58; height: 28
        fontSize: 9.5
        glowColor: ConsoleTheme.mintGlow
        text: ConsoleMapping.percentText(root.level, root.control.lower, root.control.upper)
    }
    Item {
        width: 58; height: 16
    }
    Item {
        width: 58; height: 20
    }
}
