import QtQuick
import Starlume.Console

// Green, green, yellow, red from bottom to top, stretched over whatever
// height it fills, so even a low bar ends in red.
Gradient {
    GradientStop { position: 0.0; color: ConsoleTheme.meterRed }
    GradientStop { position: 1 / 3; color: ConsoleTheme.meterYellow }
    GradientStop { position: 2 / 3; color: ConsoleTheme.meterGreen }
    GradientStop { position: 1.0; color: ConsoleTheme.meterGreen }
}
