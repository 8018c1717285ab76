pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// A level meter with peak marker and, optionally, a dB scale at its left.
Item {
    id: root

    property real db: -60
    property real peakDB: -60
    property bool showScale: true
    property real minimumDB: -60
    property real maximumDB: 0

    implicitWidth: 42
    implicitHeight: 235

    Accessible.role: Accessible.Indicator
    Accessible.name: "VU meter"
    Accessible.description: ConsoleMapping.meterValueText(db)

    readonly property real scaleWidth: 18
    readonly property real spacing: 5

    Item {
        id: scaleColumn
        visible: root.showScale
        width: root.scaleWidth
        height: root.height
        Repeater {
            model: ["0", "-6", "-12", "-24", "-40", "-60"]
            Text {
                required property int index
                required property var modelData
                // Spread evenly, not at their dB positions.
                y: index * (scaleColumn.height - implicitHeight) / 5
                width: scaleColumn.width
                horizontalAlignment: Text.AlignRight
                text: modelData
                color: ConsoleTheme.secondary
                opacity: 0.85
                font.family: ConsoleTheme.monospaceFamily
                font.pixelSize: 7
                font.weight: Font.Medium
                Accessible.ignored: true
            }
        }
    }

    Item {
        id: body
        x: root.showScale ? root.scaleWidth + root.spacing : 0
        width: Math.max(root.width - x, 0)
        height: root.height

        Rectangle {
            anchors.fill: parent
            radius: 3
            color: Qt.rgba(0, 0, 0, 0.76)
        }
        Rectangle {
            id: bar
            objectName: "bar"
            x: 1
            width: Math.max(body.width - 2, 0)
            height: ConsoleMapping.meterBarHeight(root.db, root.minimumDB, root.maximumDB, body.height)
            y: body.height - height
            radius: 1
            gradient: MeterGradient {}
        }
        Repeater {
            model: 13
            Rectangle {
                required property int index
                y: index * (body.height - 1) / 12
                width: body.width
                height: 1
                color: Qt.rgba(0, 0, 0, index % 3 === 0 ? 0.58 : 0.34)
            }
        }
        Rectangle {
            id: peak
            objectName: "peak"
            width: body.width
            height: 2
            y: ConsoleMapping.meterPeakCenterY(root.peakDB, root.minimumDB, root.maximumDB, body.height) - 1
            color: Qt.rgba(1, 1, 1, 0.95)
        }
        Rectangle {
            anchors.fill: parent
            radius: 3
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.13)
        }
    }
}
