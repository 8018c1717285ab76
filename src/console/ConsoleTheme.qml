pragma Singleton
import QtQuick
import Starlume.Console

// Colours and fonts shared by the console's instruments. The console always
// uses its dark scheme, whatever the desktop's.
QtObject {
    readonly property color primary: Qt.rgba(1, 1, 1, 0.88)
    readonly property color secondary: Qt.rgba(0.92, 0.92, 0.96, 0.58)

    readonly property color meterGreen: Qt.rgba(0.19, 0.82, 0.35, 1)
    readonly property color meterYellow: Qt.rgba(1.0, 0.84, 0.04, 1)
    readonly property color meterRed: Qt.rgba(1.0, 0.27, 0.23, 1)

    readonly property color mintGlow: Qt.rgba(0.52, 1.0, 0.72, 1)
    readonly property color redGlow: Qt.rgba(1.0, 0.34, 0.28, 1)
    readonly property color iceBlue: Qt.rgba(0.42, 0.9, 1.0, 1)
    readonly property color amber: Qt.rgba(1.0, 0.7, 0.2, 1)

    readonly property string monospaceFamily: ConsoleMapping.monospaceFamily

    // For font.pointSize: the point size that draws `pixels` pixels high.
    function points(pixels) {
        return pixels * ConsoleMapping.pointsPerPixel
    }
}
