import QtQuick
import Starlume.Console

// One voice's channel strip: title, subtitle, meter beside fader, readout,
// RESET, and the mute and solo keys. `strip` names the parameter and meter
// properties it binds to (see ConsoleBoard::voiceStrips).
HardwarePanelSurface {
    id: root

    required property var strip
    required property var parameters
    required property var meters

    readonly property real level: parameters ? parameters[strip.level] : 0

    objectName: strip.key + "Strip"
    cornerRadius: 7
    depth: 0.72
    horizontalPadding: 11
    verticalPadding: 10

    Column {
        spacing: 8

        StripTitle {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.strip.title
        }
        StripSubtitle {
            anchors.horizontalCenter: parent.horizontalCenter
            text: root.strip.subtitle
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            VUMeter {
                objectName: root.strip.key + "Meter"
                width: 42; height: 235
                showScale: true
                minimumDB: -60; maximumDB: 0
                db: root.meters ? root.meters[root.strip.db] : -60
                peakDB: root.meters ? root.meters[root.strip.peakDB] : -60
            }
            VerticalFader {
                objectName: root.strip.key + "Fader"
                width: 58; height: 235
                range: [root.strip.lower, root.strip.upper]
                strip: root.strip.strip
                defaultValue: root.strip.defaultValue
                value: root.level
                onMoved: v => root.parameters[root.strip.level] = v
            }
        }
        LEDGlassValueDisplay {
            objectName: root.strip.key + "Readout"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 66; height: 28
            fontSize: 10.5
            glowColor: ConsoleTheme.mintGlow
            text: ConsoleMapping.percentText(root.level, root.strip.lower, root.strip.upper)
        }
        PlainButton {
            objectName: root.strip.key + "Reset"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "RESET"
            onClicked: root.parameters[root.strip.level] = root.strip.defaultValue
        }
        MuteSoloButtons {
            anchors.horizontalCenter: parent.horizontalCenter
            key: root.strip.key
            muted: root.parameters ? root.parameters[root.strip.muted] : false
            solo: root.parameters ? root.parameters[root.strip.solo] : false
            onMuteClicked: root.parameters[root.strip.muted] = !muted
            onSoloClicked: root.parameters[root.strip.solo] = !solo
        }
    }
}
