import QtQuick
import Starlume.Console

// The hardware master: the output device's name, the stereo meter beside
// the device volume fader, the volume readout ("FIXED" when the device's
// volume cannot be set) and FULL.
HardwarePanelSurface {
    id: root

    required property ConsoleBoard board
    readonly property var output: board.systemOutput
    readonly property var meters: board.meters
    readonly property var fader: board.masterFader

    objectName: "masterStrip"
    cornerRadius: 7
    depth: 0.72
    horizontalPadding: 11
    verticalPadding: 10

    Column {
        spacing: 8

        StripTitle {
            anchors.horizontalCenter: parent.horizontalCenter
            text: "MASTER"
        }
        StripSubtitle {
            objectName: "masterDeviceName"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 92
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
            text: root.output ? root.output.deviceName : ""
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 8
            StereoVUMeter {
                objectName: "masterMeter"
                width: 42; height: 235
                leftDB: root.meters ? root.meters.masterLeftDB : -60
                rightDB: root.meters ? root.meters.masterRightDB : -60
                leftPeakDB: root.meters ? root.meters.masterLeftPeakDB : -60
                rightPeakDB: root.meters ? root.meters.masterRightPeakDB : -60
            }
            VerticalFader {
                objectName: "masterFader"
                width: 58; height: 235
                range: [root.fader.lower, root.fader.upper]
                strip: root.fader.strip
                defaultValue: root.fader.defaultValue
                value: root.output ? root.output.volume : 0
                onMoved: v => root.output.volume = v
            }
        }
        LEDGlassValueDisplay {
            objectName: "masterReadout"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 66; height: 28
            fontSize: 10.5
            glowColor: ConsoleTheme.mintGlow
            text: root.output ? ConsoleMapping.masterVolumeText(root.output.volume, root.output.canControlVolume) : ""
        }
        PlainButton {
            objectName: "masterFull"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "FULL"
            onClicked: root.board.setFullVolume()
        }
    }
}
