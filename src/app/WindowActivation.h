#pragma once

class QWindow;

// Restores the window if minimised, shows it, raises it and asks the desktop
// for keyboard focus (which the desktop may grant or turn into an attention hint).
void bringForward(QWindow& window);
