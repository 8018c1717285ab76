import QtQuick
import QtQuick.Window

// The mixer window. Its controller creates it once and only hides it on close.
Window {
    id: mixer

    required property QtObject audioEngine

    title: "Starlume \u2014 Mixer"
    width: 1226
    height: 760
    minimumWidth: 620
    minimumHeight: 390
    maximumWidth: 4096
    maximumHeight: 2560
    color: Qt.rgba(0.025, 0.027, 0.03, 1)

    // The console host fills the window; the console itself is added here.
    Item {
        objectName: "consoleHost"
        anchors.fill: parent
    }
}
