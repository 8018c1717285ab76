#include "clock/gl/X11CoverWatch.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <memory>

std::unique_ptr<X11CoverWatch> X11CoverWatch::create(QWindow& window, std::function<void()> changed)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window.handle())
        return nullptr;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());

    // The event mask is per client: add to Qt's, keeping what it asked for.
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr), &free);
    if (!attributes)
        return nullptr;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection, id, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::unique_ptr<X11CoverWatch> watch(new X11CoverWatch(window, std::move(changed)));
    watch->m_windowId = id;
    QCoreApplication::instance()->installNativeEventFilter(watch.get());
    return watch;
}

X11CoverWatch::X11CoverWatch(QWindow& window, std::function<void()> changed)
    : m_window(&window)
    , m_changed(std::move(changed))
{
}

X11CoverWatch::~X11CoverWatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11CoverWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (visibility->window != m_windowId)
        return false;
    const bool covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    if (covered != m_covered) {
        m_covered = covered;
        if (m_changed)
            m_changed();
    }
    // Qt has no use for it.
    return true;
}
