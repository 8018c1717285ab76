import QtQuick
import Starlume.Console

// The caption over a creature-bus fader.
Text {
    horizontalAlignment: Text.AlignHCenter
    color: ConsoleTheme.secondary
    font.pixelSize: 9
    font.weight: Font.DemiBold
    font.letterSpacing: 0.8
}
