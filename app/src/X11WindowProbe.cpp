#include "X11WindowProbe.h"

#include <QGuiApplication>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace miran::app {

namespace {

// WM_CLASS holds "instance\0class\0".
bool HasClass(xcb_connection_t* connection, xcb_window_t window, const std::string& windowClass) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256),
        nullptr);
    if (!reply)
        return false;
    const char* value = static_cast<const char*>(xcb_get_property_value(reply));
    int length = xcb_get_property_value_length(reply);
    bool found = false;
    const char* instanceEnd = static_cast<const char*>(std::memchr(value, '\0', length));
    if (instanceEnd) {
        std::string className(instanceEnd + 1, strnlen(instanceEnd + 1, value + length - instanceEnd - 1));
        // Class names compare without regard to case, as window classes do on the builder's platform.
        found = std::ranges::equal(className, windowClass, [](unsigned char a, unsigned char b) {
            return std::tolower(a) == std::tolower(b);
        });
    }
    std::free(reply);
    return found;
}

// Top-level windows and, under a reparenting window manager, the client windows inside their frames.
bool Search(xcb_connection_t* connection, xcb_window_t parent, const std::string& windowClass, int depth) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr);
    if (!tree)
        return false;
    xcb_window_t* children = xcb_query_tree_children(tree);
    int count = xcb_query_tree_children_length(tree);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = HasClass(connection, children[i], windowClass) ||
                (depth > 0 && Search(connection, children[i], windowClass, depth - 1));
    std::free(tree);
    return found;
}

} // namespace

bool X11WindowClassExists(const std::string& windowClass) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
        if (Search(connection, it.data->root, windowClass, 1))
            return true;
    }
    return false;
}

} // namespace miran::app
