#pragma once

class QKeyEvent;

// Keys are stored in the settings and compared as Windows virtual-key codes, so a
// settings file means the same keys on every platform. A key's code is that of the
// key itself, whatever Shift or CapsLock make it type.
namespace keycodes {

// What a key without a code gives.
inline constexpr int NoKey = -1;

// The codes the program names itself; every other key is only ever compared with a setting.
inline constexpr int VkBack = 8;
inline constexpr int VkReturn = 13;
inline constexpr int VkSpace = 32;
inline constexpr int VkLeft = 37;
inline constexpr int VkUp = 38;
inline constexpr int VkRight = 39;
inline constexpr int VkDown = 40;
inline constexpr int VkNumpad0 = 96;
inline constexpr int VkNumpad9 = 105;
inline constexpr int VkAdd = 107;
inline constexpr int VkSubtract = 109;
inline constexpr int VkDecimal = 110;
inline constexpr int VkF1 = 112;
inline constexpr int VkF2 = 113;
inline constexpr int VkF3 = 114;
inline constexpr int VkF4 = 115;
inline constexpr int VkF10 = 121;
inline constexpr int VkNumLock = 144;
inline constexpr int VkOemPlus = 187;
inline constexpr int VkOemMinus = 189;
inline constexpr int VkOemPeriod = 190;

// What a key types into a field: its digit ('0'..'9', from the digit row or the keypad),
// '+', '-', '.', Space (32), Enter (13), 0 for the clear key (`clearKey`, a setting), and -1
// for every other key. The clear key wins over any other meaning the key has.
int typedCharacter(int keyCode, int clearKey);

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
