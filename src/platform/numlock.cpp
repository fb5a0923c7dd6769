#include "platform/numlock.h"

#include "platform/keyboardbackend.h"
#include "platform/numlock_noop.h"

#include <QGuiApplication>
#include <QLoggingCategory>

#if defined(RAVENMARK_NUMLOCK_X11)
#include "platform/numlock_x11.h"
#endif
#if defined(RAVENMARK_NUMLOCK_WIN)
#include "platform/numlock_win.h"
#endif

namespace {

Q_LOGGING_CATEGORY(lcKeyboard, "ravenmark.keyboard")

struct BackendSlot {
    std::unique_ptr<KeyboardBackend> backend;
    // A backend that cannot act would otherwise fill the log at every NumLock release.
    bool failureLogged = false;
};

BackendSlot& current() {
    static BackendSlot s;
    return s;
}

std::unique_ptr<KeyboardBackend> systemBackend() {
#if defined(RAVENMARK_NUMLOCK_WIN)
    return std::make_unique<WinKeyboardBackend>();
#else
#if defined(RAVENMARK_NUMLOCK_X11)
    if (auto x11 = X11KeyboardBackend::forApplication()) {
        return x11;
    }
#endif
    return std::make_unique<NoopKeyboardBackend>(QGuiApplication::platformName());
#endif
}

void logFailureOnce(const KeyboardBackend& backend) {
    BackendSlot& s = current();
    if (!s.failureLogged) {
        s.failureLogged = true;
        qCWarning(lcKeyboard).noquote() << "NumLock cannot be kept on or off:" << backend.failure();
    }
}

} // namespace

KeyboardBackend& keyboardBackend() {
    BackendSlot& s = current();
    if (!s.backend) {
        if (qGuiApp == nullptr) {
            // Too early to tell which windowing system it will be: do nothing now, decide later.
            static NoopKeyboardBackend beforeApplication{QString()};
            return beforeApplication;
        }
        s.backend = systemBackend();
        s.failureLogged = false;
    }
    return *s.backend;
}

void setKeyboardBackend(std::unique_ptr<KeyboardBackend> backend) {
    BackendSlot& s = current();
    s.backend = std::move(backend);
    s.failureLogged = false;
}

namespace modGrabKeys {

void SetNumLock(bool wantOn) {
    KeyboardBackend& backend = keyboardBackend();
    // A state that cannot be read is not taken for "off": a blind toggle could just as well
    // switch NumLock the wrong way.
    const std::optional<bool> on = backend.numLockOn();
    if (!on) {
        logFailureOnce(backend);
        return;
    }
    if (*on == wantOn) {
        return;
    }
    if (!backend.toggleNumLock()) {
        logFailureOnce(backend);
    }
}

void UpdateNumLock(std::int32_t numLockForce) {
    if (numLockForce == NumLockKeepOn) {
        SetNumLock(true);
    } else if (numLockForce == NumLockKeepOff) {
        SetNumLock(false);
    }
}

} // namespace modGrabKeys
