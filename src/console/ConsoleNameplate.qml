import QtQuick
import Starlume.Console

// The riveted plate with the console's name.
RivetedNameplateSurface {
    objectName: "nameplate"
    cornerRadius: 8
    rivetInset: 8
    horizontalPadding: 18
    verticalPadding: 10

    Column {
        spacing: 3
        HardwareBrandLine {
            width: 286
            height: 13
            text: "STARLUME"
        }
        Text {
            width: 286
            objectName: "consoleTitle"
            text: "AUDIO MIXING CONSOLE"
            color: Qt.rgba(ConsoleTheme.primary.r, ConsoleTheme.primary.g, ConsoleTheme.primary.b,
                           ConsoleTheme.primary.a * 0.96)
            font.pixelSize: 23
            font.weight: Font.DemiBold
            font.letterSpacing: 0.75
            // The plate is 286 points wide whatever the desktop's font.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 14
            style: Text.Raised
            styleColor: Qt.rgba(0, 0, 0, 0.55)
        }
        Text {
            width: 286
            text: "LIVE SYNTHESIS \u00b7 HARDWARE MASTER \u00b7 PEAK HOLD"
            color: ConsoleTheme.secondary
            opacity: 0.85
            font.family: ConsoleTheme.monospaceFamily
            font.pixelSize: 9
            font.weight: Font.Medium
            font.letterSpacing: 1.15
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 6
        }
    }
}
