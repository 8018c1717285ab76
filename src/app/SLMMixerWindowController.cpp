#include "app/SLMMixerWindowController.h"

#include "app/SLMResizableMixerHost.h"
#include "app/WindowActivation.h"
#include "control/SLMAudioPresetManager.h"
#include "engine/SLMAudioEngine.h"

#include <QLoggingCategory>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QtQml/qqmlextensionplugin.h>

Q_LOGGING_CATEGORY(lcMixerWindow, "starlume.app.mixer")

Q_IMPORT_QML_PLUGIN(Starlume_ConsolePlugin)

SLMMixerWindowController::SLMMixerWindowController(QQmlEngine& qml, QObject* parent) : QObject(parent), m_qml(qml) {}

SLMMixerWindowController::~SLMMixerWindowController() = default;

void SLMMixerWindowController::show(SLMAudioEngine* audioEngine, SLMAudioPresetManager* presetManager)
{
    if (m_mixerWindow) {
        bringForward(*m_mixerWindow);
        return;
    }
    m_mixerWindow = createWindow(audioEngine, presetManager);
    if (!m_mixerWindow)
        return;
    m_mixerWindow->installEventFilter(this);

    if (QScreen* screen = m_mixerWindow->screen()) {
        QRect frame(QPoint(), m_mixerWindow->size());
        frame.moveCenter(screen->availableGeometry().center());
        m_mixerWindow->setPosition(frame.topLeft());
    }
    bringForward(*m_mixerWindow);
    emit mixerWindowChanged();
}

std::unique_ptr<QQuickWindow> SLMMixerWindowController::createWindow(SLMAudioEngine* audioEngine,
                                                                    SLMAudioPresetManager* presetManager)
{
    static const bool registered = [] {
        SLMResizableMixerHost::registerQmlType();
        return true;
    }();
    Q_UNUSED(registered);

    QQmlComponent component(&m_qml, QUrl(QStringLiteral("qrc:/starlume/qml/MixerWindow.qml")));
    std::unique_ptr<QObject> object(
        component.createWithInitialProperties({{QStringLiteral("audioEngine"), QVariant::fromValue<QObject*>(audioEngine)},
                                               {QStringLiteral("presetManager"), QVariant::fromValue<QObject*>(presetManager)}}));
    auto* window = qobject_cast<QQuickWindow*>(object.get());
    if (!window) {
        qCWarning(lcMixerWindow, "the mixer window could not be created: %s", qPrintable(component.errorString()));
        return nullptr;
    }
    QQmlEngine::setObjectOwnership(window, QQmlEngine::CppOwnership);
    object.release();
    return std::unique_ptr<QQuickWindow>(window);
}

bool SLMMixerWindowController::eventFilter(QObject* watched, QEvent* event)
{
    // Closing only hides the window: the next show brings back the same one,
    // at its last size and position, with the console as it was left.
    if (watched == m_mixerWindow.get() && event->type() == QEvent::Close) {
        event->ignore();
        m_mixerWindow->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
