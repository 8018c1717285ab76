import QtQuick
import QtQuick.Controls.Basic

// The round button in the main window's top-right corner that opens the mixer.
AbstractButton {
    id: button

    implicitWidth: 34
    implicitHeight: 34
    padding: 0
    hoverEnabled: true
    focusPolicy: Qt.NoFocus

    ToolTip.text: "Open Mixer Window"
    ToolTip.visible: hovered
    ToolTip.delay: 700

    Accessible.role: Accessible.Button
    Accessible.name: "Open Mixer Window"

    background: Rectangle {
        radius: width / 2
        color: Qt.rgba(0, 0, 0, 0.42)
    }

    // The glyph's box at a 14 pt symbol size; the SVG is rasterised at the
    // screen's pixel density so it stays sharp on HiDPI screens.
    contentItem: Item {
        Image {
            anchors.centerIn: parent
            width: 17
            height: 14
            source: "../icons/mixer-sliders.svg"
            sourceSize: Qt.size(width, height)
            fillMode: Image.PreserveAspectFit
            smooth: true
            opacity: 0.8
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }
}
