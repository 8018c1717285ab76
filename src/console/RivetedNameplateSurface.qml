import QtQuick
import Starlume.Console

// A riveted metal nameplate, lighter than the panels, with a sheen across
// its upper half. Children sit on the plate, under the rivets.
Item {
    id: root

    property real cornerRadius: 8
    property real rivetInset: 8
    property real horizontalPadding: 0
    property real verticalPadding: 0
    default property alias content: body.data

    // Sized by the first child: its implicit size, or its own size when it
    // has none (an analyser given a width, say).
    readonly property Item firstChild: body.children.length > 0 ? body.children[0] : null
    implicitWidth: (firstChild ? (firstChild.implicitWidth > 0 ? firstChild.implicitWidth : firstChild.width) : 0)
                   + 2 * horizontalPadding
    implicitHeight: (firstChild ? (firstChild.implicitHeight > 0 ? firstChild.implicitHeight : firstChild.height) : 0)
                    + 2 * verticalPadding

    Rectangle {
        anchors.fill: parent
        radius: root.cornerRadius
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(0.29, 0.3, 0.32, 1) }
            GradientStop { position: 0.22; color: Qt.rgba(0.18, 0.19, 0.2, 1) }
            GradientStop { position: 0.52; color: Qt.rgba(0.12, 0.125, 0.13, 1) }
            GradientStop { position: 0.76; color: Qt.rgba(0.2, 0.205, 0.215, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.1, 0.105, 0.11, 1) }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: root.cornerRadius
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.rgba(1, 1, 1, 0.14) }
            GradientStop { position: 0.5; color: Qt.rgba(1, 1, 1, 0.03) }
            GradientStop { position: 1.0; color: Qt.rgba(1, 1, 1, 0.0) }
        }
    }
    GradientOutline {
        anchors.fill: parent
        radius: root.cornerRadius
        lineWidth: 1.15
        topColor: Qt.rgba(1, 1, 1, 0.34)
        middleColor: Qt.rgba(1, 1, 1, 0.06)
        bottomColor: Qt.rgba(0, 0, 0, 0.86)
    }
    GradientOutline {
        anchors.fill: parent
        anchors.margins: 1.15
        radius: Math.max(root.cornerRadius - 1.15, 0)
        lineWidth: 0.8
        topColor: Qt.rgba(0, 0, 0, 0.45)
        middleColor: Qt.rgba(0, 0, 0, 0.3)
        bottomColor: Qt.rgba(1, 1, 1, 0.08)
    }

    Item {
        id: body
        anchors.fill: parent
        anchors.leftMargin: root.horizontalPadding
        anchors.rightMargin: root.horizontalPadding
        anchors.topMargin: root.verticalPadding
        anchors.bottomMargin: root.verticalPadding
    }

    PlateRivets {
        anchors.fill: parent
        inset: root.rivetInset
    }
}
