#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

// What a test needs of an X display, from the outside as a window manager
// or the user would do it: find windows, look at them, change their state.
class X11Client {
public:
    explicit X11Client(const QString& display);
    ~X11Client();
    X11Client(const X11Client&) = delete;
    X11Client& operator=(const X11Client&) = delete;

    bool isConnected() const { return m_connection != nullptr; }

    // Viewable top-level windows whose _NET_WM_NAME (or WM_NAME) is `title`.
    std::vector<std::uint32_t> windowsTitled(const QString& title);
    std::optional<std::uint32_t> windowTitled(const QString& title);

    QRect geometry(std::uint32_t window);
    QImage grab(std::uint32_t window);
    // Asks the window to close, as a window manager's close button does.
    void requestClose(std::uint32_t window);
    void focus(std::uint32_t window);
    std::uint32_t focusedWindow();
    // A plain window of the test's own, shown and focused.
    std::uint32_t createWindow(const QRect& geometry);
    // Whether `upper` is stacked above `lower` among the root's children.
    bool isAbove(std::uint32_t upper, std::uint32_t lower);

private:
    std::uint32_t atom(const char* name);
    QString title(std::uint32_t window);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
    std::uint8_t m_rootDepth = 0;
    std::uint32_t m_rootVisual = 0;
};
