import QtQuick
import QtQuick.Controls.Basic
import Starlume.Console

// A key of the header bar: a mark (a lamp, a glyph) and an engraved legend on
// a raised face. Lit, the legend, border and halo take `litColor` on a face
// tinted with it; unlit, a neutral dark face.
AbstractButton {
    id: root

    property bool lit: false
    property color litColor: ConsoleTheme.iceBlue
    property color litFaceTop: Qt.rgba(litColor.r * 0.17, litColor.g * 0.22, litColor.b * 0.23, 1)
    property color litFaceBottom: Qt.rgba(litColor.r * 0.07, litColor.g * 0.12, litColor.b * 0.13, 1)
    property string toolTip
    // The items drawn before the legend.
    default property alias mark: markSlot.data

    implicitWidth: row.implicitWidth + 22
    implicitHeight: 26
    padding: 0
    hoverEnabled: true
    focusPolicy: Qt.TabFocus

    ToolTip.text: toolTip
    ToolTip.visible: hovered && toolTip.length > 0
    ToolTip.delay: 600

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.description: toolTip

    background: Item {
        Rectangle {
            visible: root.lit
            anchors.centerIn: parent
            width: parent.width + 8
            height: parent.height + 8
            radius: 10
            color: Qt.rgba(root.litColor.r, root.litColor.g, root.litColor.b, 0.1)
        }
        Rectangle {
            anchors.fill: parent
            radius: 6
            gradient: Gradient {
                GradientStop {
                    position: 0.0
                    color: root.lit ? root.litFaceTop : Qt.rgba(0.16, 0.168, 0.176, 1)
                }
                GradientStop {
                    position: 1.0
                    color: root.lit ? root.litFaceBottom : Qt.rgba(0.085, 0.09, 0.096, 1)
                }
            }
            border.width: 1
            border.color: root.lit ? Qt.rgba(root.litColor.r, root.litColor.g, root.litColor.b, 0.75)
                                   : Qt.rgba(1, 1, 1, root.hovered ? 0.2 : 0.12)
        }
        Rectangle {
            x: 1; y: 1
            width: parent.width - 2
            height: parent.height / 2 - 1
            radius: 5
            color: Qt.rgba(1, 1, 1, root.pressed ? 0.02 : 0.06)
        }
        FocusRing {
            shown: root.visualFocus
            radius: 6
        }
    }

    // The key's mark slot is named so the default property can reach it,
    // which makes this content item immediate; it is cheap.
    contentItem: Item { // qmllint disable
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 7
            Item {
                id: markSlot
                anchors.verticalCenter: parent.verticalCenter
                width: childrenRect.width
                height: childrenRect.height
            }
            Text {
                objectName: "keyLegend"
                anchors.verticalCenter: parent.verticalCenter
                text: root.text
                color: root.lit ? root.litColor : ConsoleTheme.primary
                font.family: ConsoleTheme.monospaceFamily
                font.pixelSize: 9
                font.bold: true
                font.letterSpacing: 1.0
            }
        }
    }
}
