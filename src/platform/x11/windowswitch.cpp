// SPDX-License-Identifier: GPL-3.0-or-later
// The Window Switch on X11: each of the user's windows is minimised, as its
// own minimise button would. Show-desktop modes are not used: KWin leaves
// its mode, bringing every window back, as soon as the file manager's
// window is activated, while minimised windows stay where they are on every
// window manager. Nothing here types a key.
#include "platform/diagnostics.h"
#include "platform/platform.h"
#include "platform/x11/connection.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace platform {

namespace {

using namespace x11;

bool holds(const std::vector<unsigned long>& items, Atom atom)
{
    return atom != None && std::find(items.begin(), items.end(), atom) != items.end();
}

// A window the user works in and gets back from the task bar: not the
// desktop, a panel or a tool window, not one the task bar leaves out, and
// not minimised already.
bool isOrdinaryShownWindow(Display* display, Window window)
{
    const auto intern = [display](const char* name) { return XInternAtom(display, name, False); };
    const auto types = readCardinals(display, window, intern("_NET_WM_WINDOW_TYPE"), XA_ATOM);
    if (!types.empty() && !holds(types, intern("_NET_WM_WINDOW_TYPE_NORMAL")) &&
        !holds(types, intern("_NET_WM_WINDOW_TYPE_DIALOG")))
        return false;
    const auto state = readCardinals(display, window, intern("_NET_WM_STATE"), XA_ATOM);
    if (holds(state, intern("_NET_WM_STATE_HIDDEN")) ||
        holds(state, intern("_NET_WM_STATE_SKIP_TASKBAR")))
        return false;
    const Atom wmState = intern("WM_STATE");
    const auto icccmState = readCardinals(display, window, wmState, wmState);
    return icccmState.empty() || icccmState[0] != IconicState;
}

} // namespace

SwitchOutcome hideUserWindows(const std::vector<std::uintptr_t>& keep)
{
    const DisplayConnection display = openDisplay("hide windows");
    if (!display)
        return {};
    ErrorTrap trap(display.get());
    const Atom clientList = XInternAtom(display.get(), "_NET_CLIENT_LIST", True);
    if (windowManagerCheck(display.get()) == None ||
        !windowManagerLists(display.get(), clientList)) {
        reportDiagnostic("hide windows: no window manager here lists its windows "
                         "(_NET_CLIENT_LIST)");
        return {};
    }
    const Window root = DefaultRootWindow(display.get());
    for (unsigned long window : readCardinals(display.get(), root, clientList, XA_WINDOW)) {
        if (std::find(keep.begin(), keep.end(), window) == keep.end() &&
            isOrdinaryShownWindow(display.get(), window))
            // The ICCCM request to iconify (WM_CHANGE_STATE).
            XIconifyWindow(display.get(), window, DefaultScreen(display.get()));
    }
    // Waiting for the server means the window manager receives the requests
    // before anything this program maps afterwards. A window that closed in
    // the meantime is no failure.
    XSync(display.get(), False);
    SwitchOutcome outcome;
    outcome.windowsHidden = true;
    return outcome;
}

} // namespace platform
