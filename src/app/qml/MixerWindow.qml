import QtQuick
import QtQuick.Window
import Starlume.App 1.0
import Starlume.Console

// The mixer window. Its controller creates it once and only hides it on close.
Window {
    id: mixer

    required property QtObject audioEngine
    // The program's preset manager; without one the console makes its own.
    property QtObject presetManager: null

    title: "Starlume \u2014 Mixer"
    width: host.designSize.width
    height: host.designSize.height
    minimumWidth: 620
    minimumHeight: 390
    maximumWidth: 4096
    maximumHeight: 2560
    color: Qt.rgba(0.025, 0.027, 0.03, 1)

    SLMResizableMixerHost {
        id: host
        objectName: "consoleHost"
        anchors.fill: parent
        audioEngine: mixer.audioEngine

        Rectangle {
            anchors.fill: parent
            color: mixer.color
        }
        SLMAudioPanel {
            objectName: "audioPanel"
            audioEngine: host.audioEngine
            presetManager: mixer.presetManager
            x: (host.width - width) / 2
            y: (host.height - height) / 2
            scale: host.contentScale
        }
    }
}
