import QtQuick
import Starlume.Console

// A dark anodised panel with a bevelled edge and a screw in each corner.
// Children go between the face and the screws; `depth` scales how strongly
// the bevel's light top and shadowed bottom make the panel stand out.
Item {
    id: root

    property real cornerRadius: 7
    property real depth: 0.5
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
            GradientStop { position: 0.0; color: Qt.rgba(0.125, 0.132, 0.138, 1) }
            GradientStop { position: 0.48; color: Qt.rgba(0.075, 0.08, 0.086, 1) }
            GradientStop { position: 1.0; color: Qt.rgba(0.052, 0.056, 0.061, 1) }
        }
    }
    GradientOutline {
        anchors.fill: parent
        radius: root.cornerRadius
        lineWidth: 1
        topColor: Qt.rgba(1, 1, 1, 0.18 * root.depth)
        middleColor: Qt.rgba(1, 1, 1, 0.035)
        bottomColor: Qt.rgba(0, 0, 0, 0.7 * root.depth)
    }
    Rectangle {
        anchors.fill: parent
        anchors.margins: 1
        radius: Math.max(root.cornerRadius - 1, 0)
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.42)
    }

    Item {
        id: body
        anchors.fill: parent
        anchors.leftMargin: root.horizontalPadding
        anchors.rightMargin: root.horizontalPadding
        anchors.topMargin: root.verticalPadding
        anchors.bottomMargin: root.verticalPadding
    }

    PanelFasteners {
        anchors.fill: parent
    }
}
