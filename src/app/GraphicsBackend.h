#pragma once

#include <QString>

// Whether a graphical session is reachable at all: a display in the
// environment, or a platform chosen explicitly through QT_QPA_PLATFORM.
bool hasDisplayEnvironment();

enum class GraphicsBackend { openGL, software };

// Asks Qt Quick for OpenGL when an OpenGL context can be made, else for its
// software renderer. An explicit QT_QUICK_BACKEND is left alone. Call after
// the application object exists and before the first window.
GraphicsBackend selectGraphicsBackend();
