#pragma once

#include "platform/keyboardbackend.h"

#include <memory>

// NumLock on the X server the application is connected to: its state read through XKB, and
// toggled with one XTest press and release of the NumLock key, which the server delivers to
// the focused window like a key of the keyboard. Xlib itself stays inside the .cpp, away from
// Qt's names (its headers define KeyPress, None, Bool and Status as macros).
class X11KeyboardBackend final : public KeyboardBackend {
public:
    // The backend for the running application; nullptr when it does not run on X11.
    static std::unique_ptr<X11KeyboardBackend> forApplication();

    std::optional<bool> numLockOn() override;
    bool toggleNumLock() override;
    QString failure() const override { return m_failure; }

private:
    X11KeyboardBackend() = default;

    QString m_failure;
};
