pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// Left and right meters side by side, each labelled below, on a fixed
// -60 ... 0 dB scale.
Item {
    id: root

    property real leftDB: -60
    property real rightDB: -60
    property real leftPeakDB: -60
    property real rightPeakDB: -60

    implicitWidth: 42
    implicitHeight: 235

    component Channel: Column {
        id: channel
        property alias db: meter.db
        property alias peakDB: meter.peakDB
        property alias label: caption.text
        width: (root.width - 5) / 2
        height: root.height
        spacing: 4
        VUMeter {
            id: meter
            showScale: false
            minimumDB: -60
            maximumDB: 0
            width: channel.width
            height: Math.max(channel.height - channel.spacing - caption.height, 1)
        }
        Text {
            id: caption
            width: channel.width
            horizontalAlignment: Text.AlignHCenter
            color: ConsoleTheme.secondary
            font.family: ConsoleTheme.monospaceFamily
            font.pixelSize: 8
            font.bold: true
            Accessible.ignored: true
        }
    }

    Row {
        spacing: 5
        Channel { db: root.leftDB; peakDB: root.leftPeakDB; label: "L" }
        Channel { db: root.rightDB; peakDB: root.rightPeakDB; label: "R" }
    }
}
