// xkeys: types keys into the X server through the XTest extension, as a real keyboard would.
//
//   xkeys [--focus WINDOW-NAME [--pid PID]] [--resize WIDTHxHEIGHT] [--repeat N] [--hold] KEYSYM...
//   xkeys --numlock                 prints "on" or "off"
//   xkeys [--focus WINDOW-NAME [--pid PID]] --click X Y
//
// KEYSYM is an X keysym name: Insert, Home, Prior, Next, Delete, F11, p, Tab, 1, Return, BackSpace, KP_1 ...
// Each key is pressed and released in turn, N times with --repeat; with --hold all of them go down in
// order and come up in reverse, for chords such as "--hold Shift_L Tab". A keysym that the keymap only
// reaches with Shift (plus, exclam) gets Shift held around it. Keypad keysyms are sent on their keycode
// alone and NumLock is left as it is, so KP_1 arrives as keypad 1 or keypad End depending on the NumLock
// state, as it would from a keyboard.
//
// --numlock reports the NumLock state, so that a test can tell what the keypad keys will type.
//
// --click moves the pointer to X Y (root-window pixels) and presses and releases the left button
// there, as a mouse would; it may be followed by keys, which are typed after the click.
//
// --focus gives the keyboard focus to the viewable top-level window of that title first, waiting up to
// five seconds for it to appear; with --pid, only a window of that process (_NET_WM_PID) will do. Without
// a window manager nobody else would: this stands in for the operator's click.
//
// --resize (with --focus) then sets that window's size, as dragging its border would; it waits until the
// X server has done it, not for the program to repaint.
//
// Kept free of Qt: Xlib's headers define KeyPress, None, Bool and Status as macros.

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct Key {
    std::string name;
    KeyCode code = 0;
    bool shifted = false;
};

int usage() {
    std::fprintf(stderr,
                 "usage: xkeys [--focus WINDOW-NAME [--pid PID]] [--resize WIDTHxHEIGHT] [--repeat N] "
                 "[--hold] KEYSYM...\n"
                 "       xkeys --numlock\n"
                 "       xkeys [--focus WINDOW-NAME [--pid PID]] --click X Y [KEYSYM...]\n");
    return 2;
}

// The keycode that types SYM, and whether it needs Shift. A keysym missing from the keymap is put on a
// keycode that has none, as xdotool does, so that every named key can be sent.
std::optional<Key> resolve(Display* display, const char* name) {
    const KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol) {
        std::fprintf(stderr, "xkeys: unknown keysym '%s'\n", name);
        return std::nullopt;
    }
    Key key{name};
    key.code = XKeysymToKeycode(display, sym);
    if (key.code != 0) {
        // A keypad key's second level is NumLock's business, not Shift's: Shift on the keypad would turn
        // keypad 1 into End while NumLock is on.
        key.shifted = !IsKeypadKey(sym) && XkbKeycodeToKeysym(display, key.code, 0, 0) != sym &&
                      XkbKeycodeToKeysym(display, key.code, 0, 1) == sym;
        return key;
    }
    int low = 0;
    int high = 0;
    XDisplayKeycodes(display, &low, &high);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(display, KeyCode(low), high - low + 1, &perCode);
    for (int code = high; code >= low && key.code == 0; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i) {
            empty = empty && map[(code - low) * perCode + i] == NoSymbol;
        }
        if (empty) {
            KeySym both[2] = {sym, sym};
            XChangeKeyboardMapping(display, code, 2, both, 1);
            XSync(display, False);
            key.code = KeyCode(code);
        }
    }
    XFree(map);
    if (key.code == 0) {
        std::fprintf(stderr, "xkeys: no keycode free for '%s'\n", name);
        return std::nullopt;
    }
    return key;
}

long windowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (format == 32 && count == 1) {
            pid = *reinterpret_cast<long*>(data);
        }
        XFree(data);
    }
    return pid;
}

std::string windowName(Display* display, Window window) {
    XTextProperty property{};
    const Atom utf8Name = XInternAtom(display, "_NET_WM_NAME", False);
    std::string name;
    if (XGetTextProperty(display, window, &property, utf8Name) && property.value != nullptr) {
        name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    } else if (XGetWMName(display, window, &property) && property.value != nullptr) {
        name.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return name;
}

// The root's viewable children are the top-level windows when no window manager reparents them; with one,
// the client window is found one level further down.
Window findWindow(Display* display, Window parent, const std::string& title, long pid, int depth) {
    Window root = 0;
    Window parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) {
        return 0;
    }
    Window found = 0;
    for (unsigned int i = count; i-- > 0 && found == 0;) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) {
            continue;
        }
        if (windowName(display, children[i]) == title &&
            (pid < 0 || windowPid(display, children[i]) == pid)) {
            found = children[i];
        } else if (depth > 0) {
            found = findWindow(display, children[i], title, pid, depth - 1);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

Window focusWindow(Display* display, const std::string& title, long pid) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (const Window window = findWindow(display, DefaultRootWindow(display), title, pid, 1);
            window != 0) {
            XRaiseWindow(display, window);
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            XSync(display, False);
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(display, &focus, &revert);
            if (focus == window) {
                return window;
            }
        }
        if (Clock::now() >= deadline) {
            std::fprintf(stderr, "xkeys: no viewable window named '%s' took the focus\n", title.c_str());
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool numLockOn(Display* display) {
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    return (state.locked_mods & XkbKeysymToModifiers(display, XK_Num_Lock)) != 0;
}

void click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
    for (const Bool down : {True, False}) {
        XTestFakeButtonEvent(display, 1, down, CurrentTime);
        XSync(display, False);
    }
}

void send(Display* display, KeyCode code, bool down) {
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XFlush(display);
    XSync(display, False);
}

} // namespace

int main(int argc, char** argv) {
    std::optional<std::string> focusTitle;
    long focusPid = -1;
    int repeat = 1;
    bool hold = false;
    bool numLock = false;
    std::optional<std::pair<int, int>> clickAt;
    unsigned int width = 0;
    unsigned int height = 0;
    std::vector<const char*> names;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--focus") == 0 && i + 1 < argc) {
            focusTitle = argv[++i];
        } else if (std::strcmp(argv[i], "--pid") == 0 && i + 1 < argc) {
            focusPid = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::atoi(argv[++i]);
            if (repeat < 1) {
                return usage();
            }
        } else if (std::strcmp(argv[i], "--resize") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%ux%u", &width, &height) != 2 || width == 0 || height == 0) {
                return usage();
            }
        } else if (std::strcmp(argv[i], "--numlock") == 0) {
            numLock = true;
        } else if (std::strcmp(argv[i], "--click") == 0 && i + 2 < argc) {
            char* endX = nullptr;
            char* endY = nullptr;
            const long x = std::strtol(argv[i + 1], &endX, 10);
            const long y = std::strtol(argv[i + 2], &endY, 10);
            if (*endX != '\0' || *endY != '\0' || x < 0 || y < 0 || x > 65535 || y > 65535) {
                return usage();
            }
            clickAt = std::pair{int(x), int(y)};
            i += 2;
        } else if (std::strcmp(argv[i], "--hold") == 0) {
            hold = true;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return usage();
        } else {
            names.push_back(argv[i]);
        }
    }
    if ((names.empty() && !focusTitle && !numLock && !clickAt) || (width != 0 && !focusTitle)) {
        return usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "xkeys: cannot open display '%s'\n", XDisplayName(nullptr));
        return 1;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        std::fprintf(stderr, "xkeys: the X server has no XTest extension\n");
        XCloseDisplay(display);
        return 1;
    }
    if (numLock) {
        std::puts(numLockOn(display) ? "on" : "off");
        XCloseDisplay(display);
        return 0;
    }
    if (focusTitle) {
        const Window window = focusWindow(display, *focusTitle, focusPid);
        if (window == 0) {
            XCloseDisplay(display);
            return 1;
        }
        if (width != 0) {
            XResizeWindow(display, window, width, height);
            XSync(display, False);
        }
    }

    std::vector<Key> keys;
    for (const char* name : names) {
        const std::optional<Key> key = resolve(display, name);
        if (!key) {
            XCloseDisplay(display);
            return 1;
        }
        keys.push_back(*key);
    }
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    if (clickAt) {
        click(display, clickAt->first, clickAt->second);
    }

    for (int round = 0; round < repeat; ++round) {
        if (hold) {
            for (const Key& key : keys) {
                send(display, key.code, true);
            }
            for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
                send(display, it->code, false);
            }
            continue;
        }
        for (const Key& key : keys) {
            if (key.shifted) {
                send(display, shift, true);
            }
            send(display, key.code, true);
            send(display, key.code, false);
            if (key.shifted) {
                send(display, shift, false);
            }
        }
    }
    XCloseDisplay(display);
    return 0;
}
