#pragma once

class QKeyEvent;

// Keys are stored in the settings and compared as Windows virtual-key codes, so a
// settings file means the same keys on every platform. A key's code is that of the
// key itself, whatever Shift or CapsLock make it type.
namespace keycodes {

// The virtual-key code for Qt's `key` (a Qt::Key); `keypad` is true when the event
// carried Qt::KeypadModifier. −1 for a key that has no code.
int fromQtKey(int key, bool keypad);

// The virtual-key code of a key event, −1 for a key that has no code. On Windows the
// system's own code is used when the event carries one.
int fromKeyEvent(const QKeyEvent& e);

} // namespace keycodes
