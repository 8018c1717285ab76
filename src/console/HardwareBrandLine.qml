pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// A brand name set as separate letters spread over the whole width, like
// letters stamped into a plate. Read out as one piece of text.
Item {
    id: root

    property string text

    implicitWidth: 286
    implicitHeight: 13

    Accessible.role: Accessible.StaticText
    Accessible.name: text

    // Array.from splits by code point, so no letter is ever cut in half.
    readonly property var letters: Array.from(text)

    Row {
        Repeater {
            model: root.letters
            Text {
                required property var modelData
                width: root.width / root.letters.length
                height: root.height
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                text: modelData
                color: ConsoleTheme.primary
                font.pointSize: ConsoleTheme.points(10.5)
                font.bold: true
                style: Text.Raised
                styleColor: Qt.rgba(0, 0, 0, 0.55)
                Accessible.ignored: true
            }
        }
    }
}
