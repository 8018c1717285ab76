#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWindow>

#include <functional>

// Whether other windows fully cover a window on X11. Qt keeps such a window
// exposed (it asks the server for no visibility events), so this asks for
// them itself on Qt's connection and reads them as they pass. With a
// compositing window manager the server never reports a window covered;
// then this stays false, which only costs frames nobody sees.
class X11CoverWatch : public QAbstractNativeEventFilter {
public:
    // Null when the application is not on X11 or the window has no native window yet.
    static std::unique_ptr<X11CoverWatch> create(QWindow& window, std::function<void()> changed);
    ~X11CoverWatch() override;

    bool isCovered() const { return m_covered; }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    X11CoverWatch(QWindow& window, std::function<void()> changed);

    QPointer<QWindow> m_window;
    std::function<void()> m_changed;
    quint32 m_windowId = 0;
    bool m_covered = false;
};
