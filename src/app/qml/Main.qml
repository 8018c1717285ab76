import QtQuick
import QtQuick.Window
import Starlume.Clock 1.0

// The main window: the chaos clock over the whole window, the mixer button in
// the top-right corner, a context menu on right click or the Menu key. State
// and behaviour live in `contentView`.
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

        TapHandler {
            acceptedButtons: Qt.RightButton
            onTapped: (eventPoint) => contextMenu.popup(eventPoint.position.x, eventPoint.position.y)
        }
    }

    MixerButton {
        objectName: "mixerButton"
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: 16
        onClicked: window.contentView.openMixer()
    }

    ContextMenu {
        id: contextMenu
        objectName: "contextMenu"
        contentView: window.contentView
    }

    // Keys of the window itself; while the menu is open they are the menu's.
    Shortcut {
        sequence: "Space"
        enabled: !contextMenu.visible
        onActivated: window.contentView.togglePlayPause()
    }
    Shortcut {
        sequences: ["Menu", "Shift+F10"]
        enabled: !contextMenu.visible
        onActivated: {
            contextMenu.popup((window.width - contextMenu.width) / 2, (window.height - contextMenu.height) / 3)
            // Opened from the keyboard: the first entry is current, as in any menu.
            contextMenu.currentIndex = 0
        }
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
