#pragma once

#include <QByteArray>

// GLSL of the clock renderer for the context at hand: "#version 330" on
// desktop OpenGL 3.3 and later, "#version 130" on OpenGL 3.0 to 3.2,
// "#version 300 es" on OpenGL ES 3.
enum class ClockShaderDialect { Glsl330, Glsl130, Essl300 };

// `solidStrokes`: the shaders for ClockBatcher's runs of solid strokes only.
QByteArray clockVertexShader(ClockShaderDialect dialect, bool solidStrokes = false);
QByteArray clockFragmentShader(ClockShaderDialect dialect, bool solidStrokes = false);
// Solid strokes drawn as triangle strips (StrokeStrip.h).
QByteArray clockStripVertexShader(ClockShaderDialect dialect);
QByteArray clockStripFragmentShader(ClockShaderDialect dialect);
