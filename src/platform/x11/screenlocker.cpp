// SPDX-License-Identifier: GPL-3.0-or-later
// Whether an X11 screen locker is up, asked through the program's own xcb
// connection, and sending what waits on that connection.
#include "platform/platform.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

struct FreeReply
{
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// A grab on an unmapped window of our own never succeeds: the server
// answers AlreadyGrabbed while another client holds the keyboard, and
// NotViewable otherwise, so the keyboard is never taken from the user.
bool keyboardGrabbedElsewhere(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const Reply<xcb_grab_keyboard_reply_t> grab(
        xcb_grab_keyboard_reply(connection,
                                xcb_grab_keyboard(connection, 0, probe, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr));
    xcb_destroy_window(connection, probe);
    return grab && grab->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
}

bool coversAMonitor(const xcb_get_geometry_reply_t& box, const std::vector<Monitor>& monitors)
{
    const long border = box.border_width;
    const long left = box.x;
    const long top = box.y;
    const long right = left + box.width + 2 * border;
    const long bottom = top + box.height + 2 * border;
    for (const Monitor& monitor : monitors) {
        if (left <= monitor.x && top <= monitor.y && right >= monitor.x + monitor.width &&
            bottom >= monitor.y + monitor.height)
            return true;
    }
    return false;
}

// The topmost window on screen is unmanaged and covers a monitor. Only the
// top counts: window managers keep unmanaged windows of the screen's size
// at the bottom too (mutter's guard window), and what is on top of a
// locker is not locked out.
bool unmanagedCoverOnTop(xcb_connection_t* connection, xcb_window_t root,
                         const std::vector<Monitor>& monitors)
{
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    if (!tree)
        return false;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        // A window that closed a moment ago has no answer and is passed by.
        const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        if (!attributes->override_redirect)
            return false;
        const Reply<xcb_get_geometry_reply_t> box(
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, children[i]), nullptr));
        return box && coversAMonitor(*box, monitors);
    }
    return false;
}

} // namespace

bool screenLockerShown(xcb_connection_t* connection, const std::vector<Monitor>& monitors)
{
    if (connection == nullptr || xcb_connection_has_error(connection))
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    return keyboardGrabbedElsewhere(connection, root) &&
           unmanagedCoverOnTop(connection, root, monitors);
}

void sendPendingRequests(xcb_connection_t* connection)
{
    if (connection != nullptr)
        xcb_flush(connection);
}

} // namespace platform
