import QtQuick
import Starlume.Console

// A strip's engraved name.
Text {
    color: ConsoleTheme.primary
    font.pixelSize: 11
    font.bold: true
    font.letterSpacing: 1.1
    style: Text.Raised
    styleColor: Qt.rgba(0, 0, 0, 0.6)
}
