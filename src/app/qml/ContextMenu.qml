import QtQuick
import QtQuick.Controls.Basic

// The main window's context menu. Every entry calls into `contentView`.
Menu {
    id: menu

    required property QtObject contentView

    delegate: ContextMenuItem {}
    topPadding: 5
    bottomPadding: 5
    leftPadding: 5
    rightPadding: 5

    background: Rectangle {
        implicitWidth: 250
        color: Qt.rgba(0.055, 0.06, 0.068, 0.97)
        radius: 7
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.14)
    }

    ContextMenuItem {
        objectName: "playPauseItem"
        text: menu.contentView.isPlaying ? "Pause" : "Play"
        hint: "Space"
        onTriggered: menu.contentView.togglePlayPause()
    }

    Menu {
        id: sleepMenu
        objectName: "sleepTimerMenu"
        title: menu.contentView.sleepTimerTitle
        delegate: ContextMenuItem {}
        topPadding: 5
        bottomPadding: 5
        leftPadding: 5
        rightPadding: 5
        background: Rectangle {
            implicitWidth: 170
            color: Qt.rgba(0.055, 0.06, 0.068, 0.97)
            radius: 7
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.14)
        }

        // One entry per length the timer offers; each knows the view it calls.
        Component.onCompleted: {
            for (const choice of menu.contentView.sleepTimerChoices)
                sleepMenu.addItem(sleepChoice.createObject(sleepMenu.contentItem, {
                    text: choice.label, minutes: choice.minutes, view: menu.contentView }))
        }
    }

    Component {
        id: sleepChoice
        ContextMenuItem {
            property real minutes
            property QtObject view
            implicitWidth: 160
            marked: view !== null && view.sleepTimerMinutes === minutes
            onTriggered: view.setSleepTimer(minutes)
        }
    }

    MenuSeparator {
        contentItem: Rectangle {
            implicitHeight: 1
            color: Qt.rgba(1, 1, 1, 0.1)
        }
    }

    ContextMenuItem {
        text: "Mixer"
        hint: "Ctrl+M"
        onTriggered: menu.contentView.openMixer()
    }
    ContextMenuItem {
        text: "Full screen"
        hint: "F11"
        marked: menu.contentView.isFullScreen
        onTriggered: menu.contentView.toggleFullScreen()
    }

    MenuSeparator {
        contentItem: Rectangle {
            implicitHeight: 1
            color: Qt.rgba(1, 1, 1, 0.1)
        }
    }

    ContextMenuItem {
        text: "Quit"
        hint: "Ctrl+Q"
        onTriggered: menu.contentView.quit()
    }
}
