#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QQmlEngine;
class QQuickWindow;
class SLMAudioEngine;
class SLMAudioPresetManager;
Q_MOC_INCLUDE(<QQuickWindow>)

// Creates the mixer window on the first request, brings the same window back on
// every later one and keeps it for the rest of the run: closing only hides it.
// Main thread only.
class SLMMixerWindowController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QQuickWindow* mixerWindow READ mixerWindow NOTIFY mixerWindowChanged)

public:
    explicit SLMMixerWindowController(QQmlEngine& qml, QObject* parent = nullptr);
    ~SLMMixerWindowController() override;

    // Shows the mixer window for `audioEngine`, creating it on first use. The
    // console uses `presetManager` when given, else makes its own.
    void show(SLMAudioEngine* audioEngine, SLMAudioPresetManager* presetManager = nullptr);

    QQuickWindow* mixerWindow() const { return m_mixerWindow.get(); }

signals:
    void mixerWindowChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<QQuickWindow> createWindow(SLMAudioEngine* audioEngine, SLMAudioPresetManager* presetManager);

    QQmlEngine& m_qml;
    std::unique_ptr<QQuickWindow> m_mixerWindow;
};
