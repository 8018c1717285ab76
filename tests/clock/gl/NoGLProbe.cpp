// Renders one disc with the OpenGL renderer and reports the outcome, so a
// test can run it where no OpenGL context can exist.
#include "clock/gl/GLOffscreenClockRenderer.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    DisplayList list;
    list.fill(list.circle(5, 5, 4), DisplayList::solid(tint(Tint::white)));
    QString error;
    const QImage image = renderClockImageGL(list, QSize(10, 10), 1, &error);
    if (image.isNull()) {
        std::printf("error: %s\n", qPrintable(error));
        return 2;
    }
    std::printf("rendered\n");
    return 0;
}
