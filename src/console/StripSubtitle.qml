import QtQuick
import Starlume.Console

// What a strip carries, under its name.
Text {
    color: ConsoleTheme.secondary
    font.pixelSize: 10
}
