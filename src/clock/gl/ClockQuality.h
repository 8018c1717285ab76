#pragma once

#include "clock/gl/PolylineThinning.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// How much the clock may cost. Software rasterisers (Mesa's llvmpipe and
// softpipe, SwiftShader, Qt Quick's software backend) cannot draw it at full
// size every display frame without taking every core, so on them the clock is
// drawn smaller, scaled up, at a capped frame rate.
enum class ClockQualityMode { automatic, full, reduced };

// "auto", "full" or "reduced", ignoring case and surrounding blanks.
std::optional<ClockQualityMode> parseClockQualityMode(QStringView text);
QString clockQualityModeName(ClockQualityMode mode);

// The mode asked for: the environment (STARLUME_CLOCK_QUALITY) before the
// stored setting, either left empty when unset. A value that cannot be read
// gives automatic and a one-line `warning` saying so.
struct ClockQualityRequest {
    ClockQualityMode mode = ClockQualityMode::automatic;
    QString warning;
};
ClockQualityRequest resolveClockQualityMode(const QString& environment, const QString& setting);

// Whether an OpenGL GL_RENDERER string names a rasteriser running on the CPU.
bool isSoftwareRasteriser(QByteArrayView glRenderer);

// What the clock draws per frame.
struct ClockRendering {
    // Pixels of the drawing per device pixel; the picture is scaled up
    // smoothly by the inverse.
    double renderScale = 1.0;
    // 0: a frame at every display refresh.
    double maxFramesPerSecond = 0.0;
    // Of one core, for the whole process: frames are spaced out further when
    // they cost more (CpuBudget). 0: no budget.
    double maxCoreShare = 0.0;
    PolylineThinning thinning;
    // Solid strokes and rings as triangle strips (StrokeStrip.h): a software
    // rasteriser then shades no ring's inside and no overlap at the joins.
    bool strokeStrips = false;

    bool operator==(const ClockRendering&) const = default;
};

inline constexpr ClockRendering fullClockRendering{1.0, 0.0, 0.0, {0.0f, 0.0f}, false};
// A quarter of the pixels, at most 30 frames a second, and never more than
// 90 % of a core for the whole program, so the mixer stays fluid beside it.
inline constexpr ClockRendering reducedClockRendering{0.5, 30.0, 0.9, {1.0f, 0.25f}, true};

ClockRendering chooseClockRendering(ClockQualityMode mode, bool softwareRasteriser);
