import QtQuick
import Starlume.Console

// The caption over a creature-bus fader.
Text {
    // As tall as a strip's subtitle, so the faders below line up with the
    // voice strips'.
    height: 12
    verticalAlignment: Text.AlignVCenter
    horizontalAlignment: Text.AlignHCenter
    color: ConsoleTheme.secondary
    font.pixelSize: 9
    font.weight: Font.DemiBold
    font.letterSpacing: 0.8
}
