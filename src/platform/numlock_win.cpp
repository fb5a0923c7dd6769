#include "platform/numlock_win.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace {

// The NumLock key's hardware scan code, sent with its virtual-key code so that programs
// reading either see the real key.
constexpr BYTE NumLockScanCode = 0x45;

} // namespace

std::optional<bool> WinKeyboardBackend::numLockOn() {
    BYTE keys[256] = {};
    if (!GetKeyboardState(keys)) {
        m_failure = QStringLiteral("Windows did not give the keyboard state (error %1)").arg(GetLastError());
        return std::nullopt;
    }
    return toggledOn(keys[VK_NUMLOCK]);
}

bool WinKeyboardBackend::toggleNumLock() {
    keybd_event(VK_NUMLOCK, NumLockScanCode, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_NUMLOCK, NumLockScanCode, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    return true;
}
