#include "app/WindowActivation.h"

#include <QWindow>

void bringForward(QWindow& window)
{
    if (window.windowStates() & Qt::WindowMinimized)
        window.setWindowStates(window.windowStates() & ~Qt::WindowMinimized);
    if (!window.isVisible())
        window.setVisible(true);
    window.raise();
    window.requestActivate();
}
