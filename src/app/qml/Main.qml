import QtQuick
import QtQuick.Window
import Starlume.Clock 1.0

// The main window: the chaos clock over the whole window, the mixer button in
// the top-right corner. State and behaviour live in `contentView`.
Window {
    id: window

    required property QtObject contentView

    title: "Starlume"
    width: 1280
    height: 800
    color: "black"

    ChaosClockItem {
        objectName: "chaosClock"
        anchors.fill: parent
    }

    MixerButton {
        objectName: "mixerButton"
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: 16
        onClicked: window.contentView.openMixer()
    }

    Shortcut {
        sequence: "F11"
        onActivated: window.contentView.toggleFullScreen()
    }
    Shortcut {
        sequence: "Escape"
        enabled: window.visibility === Window.FullScreen
        onActivated: window.contentView.leaveFullScreen()
    }
}
