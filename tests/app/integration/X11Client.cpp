#include "X11Client.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> reply(T* raw)
{
    return Reply<T>(raw, &std::free);
}

} // namespace

X11Client::X11Client(const QString& display)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(display.toLocal8Bit().constData(), &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    m_connection = c;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    m_rootDepth = it.data->root_depth;
    m_rootVisual = it.data->root_visual;
}

X11Client::~X11Client()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

std::uint32_t X11Client::atom(const char* name)
{
    auto r = reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return r ? r->atom : std::uint32_t{XCB_ATOM_NONE};
}

QString X11Client::title(std::uint32_t window)
{
    auto r = reply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024), nullptr));
    if (r && xcb_get_property_value_length(r.get()) > 0)
        return QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(r.get())),
                                 xcb_get_property_value_length(r.get()));
    r = reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 1024), nullptr));
    if (r && xcb_get_property_value_length(r.get()) > 0)
        return QString::fromLatin1(static_cast<const char*>(xcb_get_property_value(r.get())),
                                   xcb_get_property_value_length(r.get()));
    return {};
}

std::vector<std::uint32_t> X11Client::windowsTitled(const QString& wanted)
{
    std::vector<std::uint32_t> found;
    auto tree = reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree)
        return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        auto attributes = reply(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr));
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && title(children[i]) == wanted)
            found.push_back(children[i]);
    }
    return found;
}

std::optional<std::uint32_t> X11Client::windowTitled(const QString& wanted)
{
    const auto all = windowsTitled(wanted);
    if (all.empty())
        return std::nullopt;
    return all.front();
}

QRect X11Client::geometry(std::uint32_t window)
{
    auto r = reply(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    return r ? QRect(r->x, r->y, r->width, r->height) : QRect();
}

QImage X11Client::grab(std::uint32_t window)
{
    const QRect g = geometry(window);
    if (g.isEmpty())
        return {};
    auto r = reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<std::uint16_t>(g.width()),
                      static_cast<std::uint16_t>(g.height()), ~0u),
        nullptr));
    if (!r || r->depth < 24 || xcb_get_image_data_length(r.get()) < g.width() * g.height() * 4)
        return {};
    QImage image(xcb_get_image_data(r.get()), g.width(), g.height(), g.width() * 4, QImage::Format_RGB32);
    return image.copy();
}

void X11Client::requestClose(std::uint32_t window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(m_connection);
}

void X11Client::focus(std::uint32_t window)
{
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

std::uint32_t X11Client::focusedWindow()
{
    auto r = reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return r ? r->focus : 0;
}

std::uint32_t X11Client::createWindow(const QRect& g)
{
    const xcb_window_t window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, m_rootDepth, window, m_root, static_cast<std::int16_t>(g.x()),
                      static_cast<std::int16_t>(g.y()), static_cast<std::uint16_t>(g.width()),
                      static_cast<std::uint16_t>(g.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_rootVisual, 0,
                      nullptr);
    xcb_map_window(m_connection, window);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
    auto sync = reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    focus(window);
    return window;
}

bool X11Client::isAbove(std::uint32_t upper, std::uint32_t lower)
{
    auto tree = reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree)
        return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get()); // bottom to top
    int upperIndex = -1, lowerIndex = -1;
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (children[i] == upper)
            upperIndex = i;
        if (children[i] == lower)
            lowerIndex = i;
    }
    return upperIndex >= 0 && lowerIndex >= 0 && upperIndex > lowerIndex;
}
