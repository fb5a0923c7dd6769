#pragma once

#include <cstdint>
#include <memory>

class KeyboardBackend;

// Holding NumLock on or off as the operator chose, so that the keypad types digits (or does not).
namespace modGrabKeys {

// The stored NumLock option: 0 (or anything else) leaves NumLock alone.
inline constexpr std::int32_t NumLockLeaveAlone = 0;
inline constexpr std::int32_t NumLockKeepOn = 1;
inline constexpr std::int32_t NumLockKeepOff = 2;

// Puts NumLock into the wanted state. Nothing is sent when it is already there, and at most
// one press and release otherwise. Where the keyboard state cannot be read or changed,
// nothing is done and the log says so once.
void SetNumLock(bool wantOn);

// Applies the stored option: NumLockKeepOn switches NumLock on, NumLockKeepOff off, any other
// value does nothing at all.
void UpdateNumLock(std::int32_t numLockForce);

} // namespace modGrabKeys

// The process-wide keyboard backend. By default the one for the running windowing system
// (X11 or Windows), chosen at first use once the application exists; a no-op one elsewhere
// (Wayland, offscreen).
KeyboardBackend& keyboardBackend();

// Replaces the backend, for tests; nullptr goes back to the default. A new backend may
// report its own failure to the log again.
void setKeyboardBackend(std::unique_ptr<KeyboardBackend> backend);
