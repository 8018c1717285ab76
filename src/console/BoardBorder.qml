import QtQuick
import Starlume.Console

// Drawn over the board: its rounded, bevelled frame and the corner screws.
Item {
    GradientOutline {
        anchors.fill: parent
        radius: 16
        lineWidth: 1.3
        topColor: Qt.rgba(1, 1, 1, 0.26)
        middleColor: Qt.rgba(1, 1, 1, 0.07)
        bottomColor: Qt.rgba(0, 0, 0, 0.7)
    }
    ConsoleCornerScrews {
        anchors.fill: parent
    }
}
