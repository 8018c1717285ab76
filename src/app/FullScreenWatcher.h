#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>

class QWindow;

// Reports every window of the application that enters or leaves full screen,
// whoever asked for it: our own shortcut or the window manager.
class FullScreenWatcher : public QObject {
    Q_OBJECT
public:
    explicit FullScreenWatcher(QObject* parent = nullptr);
    ~FullScreenWatcher() override;

    // Starts watching a window now rather than when it is first shown.
    void watch(QWindow* window);

signals:
    void windowEnteredFullScreen(QWindow* window);
    void windowLeftFullScreen(QWindow* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onWindowStateChanged(Qt::WindowState state);
    void onWindowDestroyed(QObject* window);

private:
    QSet<QObject*> m_fullScreen;
};
