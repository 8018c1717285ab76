#include "app/MainWindow.h"

#include "app/ContentView.h"
#include "clock/gl/ChaosClockItem.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>

std::unique_ptr<QQuickWindow> createMainWindow(QQmlEngine& qml, ContentView& contentView, QString& error)
{
    static const bool registered = [] {
        ChaosClockItem::registerQmlType();
        return true;
    }();
    Q_UNUSED(registered);

    QQmlComponent component(&qml, QUrl(QStringLiteral("qrc:/starlume/qml/Main.qml")));
    std::unique_ptr<QObject> root(component.createWithInitialProperties(
        {{QStringLiteral("contentView"), QVariant::fromValue<QObject*>(&contentView)}}));
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    if (!window) {
        error = component.errorString();
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    root.release();
    return std::unique_ptr<QQuickWindow>(window);
}
