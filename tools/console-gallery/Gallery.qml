import QtQuick
import Starlume.Console
Item {
    width: 760; height: 560
    BoardBackplate { anchors.fill: parent }
    Column {
        x: 24; y: 24; spacing: 12
        Row {
            spacing: 12
            RivetedNameplateSurface {
                cornerRadius: 8; rivetInset: 8; horizontalPadding: 18; verticalPadding: 10
                Column {
                    spacing: 3
                    HardwareBrandLine { text: "STARLUME"; width: 286 }
                    Text {
                        width: 286; text: "AUDIO MIXING CONSOLE"; color: ConsoleTheme.primary
                        font.pixelSize: 23; font.weight: Font.DemiBold; font.letterSpacing: 0.75
                        fontSizeMode: Text.HorizontalFit; minimumPixelSize: 12
                    }
                }
            }
            HardwarePanelSurface {
                cornerRadius: 9; depth: 0.55; horizontalPadding: 12; verticalPadding: 25
                Row {
                    spacing: 8
                    LEDGlassValueDisplay { width: 66; height: 28; text: "50%" }
                    LEDGlassValueDisplay { width: 74; height: 28; text: "0%"; glowColor: ConsoleTheme.redGlow }
                    LEDGlassValueDisplay { width: 58; height: 28; fontSize: 9.5; text: "FIXED" }
                }
            }
        }
        Row {
            spacing: 12
            HardwarePanelSurface {
                cornerRadius: 7; depth: 0.72; horizontalPadding: 11; verticalPadding: 10
                Row {
                    spacing: 8
                    VUMeter { width: 42; height: 235; db: -14; peakDB: -6 }
                    VerticalFader { width: 58; height: 235; range: [0, 0.4]; value: 0.2 }
                    StereoVUMeter { width: 42; height: 235; leftDB: -9; rightDB: -12; leftPeakDB: -3; rightPeakDB: 0 }
                    VerticalFader { width: 58; height: 235; value: 1.3 }
                }
            }
            HardwarePanelSurface {
                cornerRadius: 7; depth: 0.72; horizontalPadding: 11; verticalPadding: 10
                Row {
                    spacing: 8
                    VUMeter { width: 38; height: 235; db: -60; peakDB: -60 }
                    VerticalFader { width: 52; height: 235; range: [-60, 6]; value: -8 }
                    VerticalFader { width: 62; height: 235; value: 0 }
                }
            }
        }
        HardwarePanelSurface {
            cornerRadius: 8; depth: 0.62; horizontalPadding: 14; verticalPadding: 12
            SpectrumAnalyzerView {
                width: 684; height: 88
                frequencies: [40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500,
                              630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 10000]
                bands: [-20, -12, -8, -10, -16, -22, -26, -24, -30, -33, -36, -34,
                        -40, -44, -42, -48, -52, -50, -56, -60, -63, -66, -70, -72]
            }
        }
    }
    BoardBorder { anchors.fill: parent }
}
