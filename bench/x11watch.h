#pragma once

// What the benchmarks that watch the program on the X server share.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <optional>
#include <sys/types.h>

// A failed request on a window that has gone away is expected; nothing else is sent that can fail.
inline int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The process that made `window`, from its _NET_WM_PID.
inline std::optional<pid_t> windowPid(Display* display, Window window) {
    static const Atom NetWmPid = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<pid_t> pid;
    if (XGetWindowProperty(display, window, NetWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1) {
        pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data) {
        XFree(data);
    }
    return pid;
}
