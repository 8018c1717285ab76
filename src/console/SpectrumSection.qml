import QtQuick
import Starlume.Console

// The analyser of what leaves the console, after the hardware master.
HardwarePanelSurface {
    id: root

    required property ConsoleBoard board
    readonly property var spectrum: board.spectrum

    objectName: "spectrumSection"
    cornerRadius: 8
    depth: 0.62
    horizontalPadding: 14
    verticalPadding: 11
    implicitHeight: 88 + 2 * verticalPadding

    Item {
        width: parent.width
        height: parent.height

        Column {
            id: labels
            anchors.verticalCenter: parent.verticalCenter
            spacing: 3
            Text {
                text: "OUTPUT SPECTRUM"
                color: ConsoleTheme.primary
                font.pixelSize: 10
                font.bold: true
                font.letterSpacing: 1.25
            }
            Text {
                text: "Post-mix \u00b7 post-hardware-master analysis"
                color: ConsoleTheme.secondary
                font.pixelSize: 9
            }
            Text {
                text: "40 Hz  \u2192  10 kHz"
                color: ConsoleTheme.secondary
                font.family: ConsoleTheme.monospaceFamily
                font.pixelSize: 9
                font.weight: Font.DemiBold
            }
        }
        SpectrumAnalyzerView {
            objectName: "analyzer"
            anchors.left: labels.right
            anchors.leftMargin: 18
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            height: 88
            bands: root.spectrum ? root.spectrum.bands : []
            frequencies: root.spectrum ? root.spectrum.centerFrequencies : []
            minimumDB: -72
            maximumDB: 0
        }
    }
}
