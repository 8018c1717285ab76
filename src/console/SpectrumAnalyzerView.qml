pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// Bar-graph analyser: one slot per band, filled from the bottom, with
// frequency labels under selected bands.
Item {
    id: root

    property var bands: []
    property var frequencies: []
    property real minimumDB: -72
    property real maximumDB: 0

    readonly property int bandCount: bands ? bands.length : 0
    readonly property real barWidth: ConsoleMapping.spectrumBarWidth(width, bandCount)
    readonly property var labels: ConsoleMapping.spectrumLabels(frequencies ? frequencies : [], bandCount)
    readonly property real barHeight: Math.max(height - ConsoleMapping.spectrumBarSpacing - labelMetrics.height, 0)

    implicitHeight: 88

    Accessible.role: Accessible.Chart
    Accessible.name: "Output spectrum analyzer"

    FontMetrics {
        id: labelMetrics
        font.family: ConsoleTheme.monospaceFamily
        font.pixelSize: 7
        font.weight: Font.Medium
    }

    Row {
        anchors.bottom: parent.bottom
        spacing: ConsoleMapping.spectrumBarSpacing
        Repeater {
            model: root.bandCount
            Column {
                id: column
                required property int index
                width: root.barWidth
                spacing: ConsoleMapping.spectrumBarSpacing

                Item {
                    width: column.width
                    height: root.barHeight
                    Rectangle {
                        anchors.fill: parent
                        radius: 2
                        color: Qt.rgba(0, 0, 0, 0.72)
                        border.width: 1
                        border.color: Qt.rgba(ConsoleTheme.primary.r, ConsoleTheme.primary.g, ConsoleTheme.primary.b, ConsoleTheme.primary.a * 0.14)
                    }
                    Rectangle {
                        objectName: "fill"
                        x: 1
                        width: Math.max(parent.width - 2, 0)
                        height: ConsoleMapping.meterBarHeight(root.bands[column.index], root.minimumDB,
                                                              root.maximumDB, parent.height)
                        y: parent.height - height
                        radius: 1
                        gradient: MeterGradient {}
                    }
                }
                Text {
                    width: column.width
                    height: labelMetrics.height
                    horizontalAlignment: Text.AlignHCenter
                    text: root.labels[column.index] ?? " "
                    color: ConsoleTheme.secondary
                    font.family: ConsoleTheme.monospaceFamily
                    font.pixelSize: 7
                    font.weight: Font.Medium
                    fontSizeMode: Text.HorizontalFit
                    minimumPixelSize: 5
                    maximumLineCount: 1
                    Accessible.ignored: true
                }
            }
        }
    }
}
