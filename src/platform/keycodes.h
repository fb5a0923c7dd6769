#pragma once

class QKeyEvent;

// Keys are stored in the settings and compared as Windows virtual-key codes, so a
// settings file means the same keys on every platform. A key's code is that of the
// key itself, whatever Shift or CapsLock make it type.
namespace keycodes {

// What a key without a code gives.
inline constexpr int NoKey = -1;

// The virtual-key code for Qt's `key` (a Qt::Key); `keypad` is true when the event
// carried Qt::KeypadModifier. −1 for a key that has no code.
int fromQtKey(int key, bool keypad);

// The virtual-key code of a key of the digit row or a punctuation key, from its X11
// keycode (its position on the keyboard); -1 for every other key.
int fromX11Keycode(int keycode);

// The virtual-key code of a key event, −1 for a key that has no code. On Windows the
// system's own code is used when the event carries one; under X11 and Wayland the digit
// row and the punctuation keys go by their position, so that on every layout the digit
// row types digits, as it does on Windows. A letter key that types no Latin letter
// (Cyrillic, Greek…) gives the US letter at its place, as Windows does.
int fromKeyEvent(const QKeyEvent& e);

} // namespace keycodes
