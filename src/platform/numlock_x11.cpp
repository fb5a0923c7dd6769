#include "platform/numlock_x11.h"

#include <QGuiApplication>

// Xlib last: its macros must meet none of Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// The connection Qt opened, looked up at every call: the application may have gone since.
Display* applicationDisplay() {
#if QT_CONFIG(xcb)
    if (qGuiApp != nullptr) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
            return x11->display();
        }
    }
#endif
    return nullptr;
}

struct NumLockKey {
    KeyCode code = 0;
    // The real modifiers the key locks (Mod2 in the usual keymaps).
    unsigned int modifiers = 0;
};

// The NumLock key of the keymap as the server has it now. Xlib's own cached copy would go
// stale after a keymap change, since Qt, not Xlib, reads the events that announce it.
NumLockKey findNumLockKey(Display* display) {
    NumLockKey found;
    XkbDescPtr xkb = XkbGetMap(display, XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    if (xkb == nullptr) {
        return found;
    }
    for (int code = xkb->min_key_code; code <= xkb->max_key_code && found.modifiers == 0; ++code) {
        const KeySym* syms = XkbKeySymsPtr(xkb, code);
        for (int i = 0; i < XkbKeyNumSyms(xkb, code); ++i) {
            if (syms[i] == XK_Num_Lock) {
                // A key that locks no modifier could not switch the keypad; look on for one that does.
                found = {KeyCode(code), xkb->map->modmap[code]};
                break;
            }
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
    return found;
}

bool haveXkb(Display* display) {
    int opcode = 0;
    int event = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    return XkbQueryExtension(display, &opcode, &event, &error, &major, &minor);
}

bool haveXTest(Display* display) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display, &event, &error, &major, &minor);
}

} // namespace

std::unique_ptr<X11KeyboardBackend> X11KeyboardBackend::forApplication() {
    if (applicationDisplay() == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<X11KeyboardBackend>(new X11KeyboardBackend);
}

std::optional<bool> X11KeyboardBackend::numLockOn() {
    Display* display = applicationDisplay();
    if (display == nullptr) {
        m_failure = QStringLiteral("the connection to the X server is gone");
        return std::nullopt;
    }
    if (!haveXkb(display)) {
        m_failure = QStringLiteral("the X server has no keyboard extension (XKB)");
        return std::nullopt;
    }
    const NumLockKey key = findNumLockKey(display);
    if (key.modifiers == 0) {
        m_failure = QStringLiteral("the keyboard map has no NumLock key that locks a modifier");
        return std::nullopt;
    }
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        m_failure = QStringLiteral("the X server did not tell the keyboard state");
        return std::nullopt;
    }
    return (state.locked_mods & key.modifiers) != 0;
}

bool X11KeyboardBackend::toggleNumLock() {
    Display* display = applicationDisplay();
    if (display == nullptr) {
        m_failure = QStringLiteral("the connection to the X server is gone");
        return false;
    }
    if (!haveXTest(display)) {
        m_failure = QStringLiteral("the X server cannot take synthetic key events (XTest)");
        return false;
    }
    const NumLockKey key = findNumLockKey(display);
    if (key.code == 0) {
        m_failure = QStringLiteral("the keyboard map has no NumLock key");
        return false;
    }
    XTestFakeKeyEvent(display, key.code, True, CurrentTime);
    XTestFakeKeyEvent(display, key.code, False, CurrentTime);
    XFlush(display);
    return true;
}
