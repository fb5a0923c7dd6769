#pragma once

#include "platform/keyboardbackend.h"

// NumLock on Windows: the thread's keyboard-state table, and keybd_event for the key itself,
// which Windows delivers to the focused window like a key of the keyboard. <windows.h> stays
// inside the .cpp.
class WinKeyboardBackend final : public KeyboardBackend {
public:
    std::optional<bool> numLockOn() override;
    bool toggleNumLock() override;
    QString failure() const override { return m_failure; }

    // Whether a key's byte of the keyboard-state table says it is toggled on. Only the low
    // bit counts: the high bit means "held down", so NumLock held while off is still off.
    static constexpr bool toggledOn(unsigned char stateByte) { return (stateByte & 0x01) != 0; }

private:
    QString m_failure;
};
