// starlume-console-gallery: shows every console instrument and surface on one
// board and saves it as a PNG, to look at after a change to the console's QML.
// Exits 1 on any QML error or warning, so a broken instrument does not pass
// as a blank spot in the picture.

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <memory>

Q_IMPORT_QML_PLUGIN(Starlume_ConsolePlugin)

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || args[1].startsWith(u'-')) {
        std::fprintf(stderr, "usage: starlume-console-gallery OUT.png\n");
        return 2;
    }

    QQmlEngine engine;
    QList<QQmlError> problems;
    QObject::connect(&engine, &QQmlEngine::warnings, [&](const QList<QQmlError>& list) { problems += list; });
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/console-gallery/Gallery.qml")));
    std::unique_ptr<QQuickItem> root(qobject_cast<QQuickItem*>(component.create()));
    if (!root) {
        std::fprintf(stderr, "starlume-console-gallery: %s\n", qPrintable(component.errorString().trimmed()));
        return 1;
    }

    QQuickWindow window;
    window.setColor(QColor::fromRgbF(0.025f, 0.027f, 0.03f));
    root->setParentItem(window.contentItem());
    window.resize(qRound(root->width()), qRound(root->height()));
    window.show();
    // Two frames: the first may still lack glyphs and meshes laid out on show.
    int frames = 0;
    QObject::connect(&window, &QQuickWindow::frameSwapped, &app, [&] {
        if (++frames == 2)
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
    });
    QTimer::singleShot(10000, &app, [&] { app.exit(3); });
    if (app.exec() != 0) {
        std::fprintf(stderr, "starlume-console-gallery: the window never drew\n");
        return 1;
    }

    const QImage image = window.grabWindow();
    if (image.isNull() || !image.save(args[1])) {
        std::fprintf(stderr, "starlume-console-gallery: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    for (const QQmlError& problem : problems)
        std::fprintf(stderr, "%s\n", qPrintable(problem.toString()));
    return problems.isEmpty() ? 0 : 1;
}
