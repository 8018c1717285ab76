pragma ComponentBehavior: Bound

import QtQuick
import Starlume.Console

// Text with a two-layer glow in its own colour. Each glow is a copy of the
// text drawn into a small texture and stretched back with smooth filtering,
// which blurs it without a shader; the copies are redrawn only when the text
// changes.
Item {
    id: root

    property string text
    property color color: "white"
    property color glowColor: color
    property real pixelSize: 10
    property int weight: Font.Bold
    property string family: ConsoleTheme.monospaceFamily
    property real letterSpacing: 0
    property real innerGlowOpacity: 0.9
    property real outerGlowOpacity: 0.45

    implicitWidth: label.implicitWidth
    implicitHeight: label.implicitHeight

    component Copy: Text {
        text: root.text
        font.family: root.family
        font.pointSize: ConsoleTheme.points(root.pixelSize)
        font.weight: root.weight
        font.letterSpacing: root.letterSpacing
        Accessible.ignored: true
    }

    component Glow: Item {
        id: glow
        property real spread
        property real downsample
        property bool heavy: false
        x: -spread
        y: -spread
        width: root.width + 2 * spread
        height: root.height + 2 * spread
        visible: root.text.length > 0
        layer.enabled: visible
        layer.smooth: true
        // Whole numbers already; the linter only sees Qt.size's real type.
        layer.textureSize: Qt.size(Math.max(1, Math.ceil(width / downsample)), // qmllint disable
                                   Math.max(1, Math.ceil(height / downsample)))
        // The wide halo starts from outlined glyphs, so the thin strokes of a
        // small font carry enough light into the blur.
        Copy {
            x: glow.spread
            y: glow.spread
            color: root.glowColor
            style: glow.heavy ? Text.Outline : Text.Normal
            styleColor: root.glowColor
        }
    }

    Glow {
        spread: 10
        downsample: 5
        heavy: true
        opacity: root.outerGlowOpacity
    }
    Glow {
        spread: 5
        downsample: 3
        opacity: root.innerGlowOpacity
    }
    Copy {
        id: label
        color: root.color
    }
}
