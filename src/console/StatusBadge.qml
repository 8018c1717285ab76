import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// A recessed badge holding a lamp and its label.
Rectangle {
    id: root

    property alias text: label.text
    property alias lampColor: lamp.color
    property alias lampLit: lamp.lit
    property color labelColor: ConsoleTheme.primary
    property string toolTip

    Accessible.role: Accessible.StaticText
    Accessible.name: text
    Accessible.description: toolTip
    ToolTip.text: toolTip
    ToolTip.visible: hover.hovered && toolTip.length > 0
    ToolTip.delay: 600
    HoverHandler { id: hover }

    implicitWidth: row.implicitWidth + 20
    implicitHeight: 26
    radius: 6
    gradient: Gradient {
        GradientStop { position: 0.0; color: Qt.rgba(0.03, 0.033, 0.036, 1) }
        GradientStop { position: 1.0; color: Qt.rgba(0.07, 0.074, 0.08, 1) }
    }
    border.width: 1
    border.color: Qt.rgba(0, 0, 0, 0.55)

    Rectangle {
        anchors.fill: parent
        anchors.topMargin: parent.height - 1
        color: Qt.rgba(1, 1, 1, 0.06)
        radius: 0.5
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 7
        ConsoleLamp {
            id: lamp
            anchors.verticalCenter: parent.verticalCenter
        }
        Text {
            id: label
            anchors.verticalCenter: parent.verticalCenter
            color: root.labelColor
            font.family: ConsoleTheme.monospaceFamily
            font.pixelSize: 9
            font.bold: true
            font.letterSpacing: 1.0
        }
    }
}
