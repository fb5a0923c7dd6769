#include "platform/keycodes.h"

#include <QKeyEvent>
#include <algorithm>
#include <array>

namespace keycodes {

namespace {

struct Mapping {
    int qtKey;
    int code;
};

// Keys whose code does not depend on the keypad. Shifted symbols appear under the
// key that types them on a US layout, which is how Windows reports them.
constexpr std::array MainKeys{
    Mapping{Qt::Key_Backspace, 8},
    Mapping{Qt::Key_Tab, 9},
    Mapping{Qt::Key_Backtab, 9},
    // Keypad 5 with NumLock off.
    Mapping{Qt::Key_Clear, 12},
    Mapping{Qt::Key_Return, 13},
    Mapping{Qt::Key_Enter, 13},
    Mapping{Qt::Key_Shift, 16},
    Mapping{Qt::Key_Control, 17},
    Mapping{Qt::Key_Alt, 18},
    // Windows reports AltGr as Ctrl and Alt; Alt is the one a binding can tell apart.
    Mapping{Qt::Key_AltGr, 18},
    Mapping{Qt::Key_Pause, 19},
    Mapping{Qt::Key_CapsLock, 20},
    Mapping{Qt::Key_Escape, 27},
    Mapping{Qt::Key_Space, 32},
    Mapping{Qt::Key_PageUp, 33},
    Mapping{Qt::Key_PageDown, 34},
    Mapping{Qt::Key_End, 35},
    Mapping{Qt::Key_Home, 36},
    Mapping{Qt::Key_Left, 37},
    Mapping{Qt::Key_Up, 38},
    Mapping{Qt::Key_Right, 39},
    Mapping{Qt::Key_Down, 40},
    Mapping{Qt::Key_Print, 44},
    // Alt+Print on X11.
    Mapping{Qt::Key_SysReq, 44},
    Mapping{Qt::Key_Insert, 45},
    Mapping{Qt::Key_Delete, 46},
    Mapping{Qt::Key_ParenRight, 48},
    Mapping{Qt::Key_Exclam, 49},
    Mapping{Qt::Key_At, 50},
    Mapping{Qt::Key_NumberSign, 51},
    Mapping{Qt::Key_Dollar, 52},
    Mapping{Qt::Key_Percent, 53},
    Mapping{Qt::Key_AsciiCircum, 54},
    Mapping{Qt::Key_Ampersand, 55},
    Mapping{Qt::Key_Asterisk, 56},
    Mapping{Qt::Key_ParenLeft, 57},
    Mapping{Qt::Key_Meta, 91},
    Mapping{Qt::Key_Super_L, 91},
    Mapping{Qt::Key_Super_R, 91},
    Mapping{Qt::Key_Menu, 93},
    Mapping{Qt::Key_NumLock, 144},
    Mapping{Qt::Key_ScrollLock, 145},
    Mapping{Qt::Key_Semicolon, 186},
    Mapping{Qt::Key_Colon, 186},
    Mapping{Qt::Key_Equal, 187},
    Mapping{Qt::Key_Plus, 187},
    Mapping{Qt::Key_Comma, 188},
    Mapping{Qt::Key_Less, 188},
    Mapping{Qt::Key_Minus, 189},
    Mapping{Qt::Key_Underscore, 189},
    Mapping{Qt::Key_Period, 190},
    Mapping{Qt::Key_Greater, 190},
    Mapping{Qt::Key_Slash, 191},
    Mapping{Qt::Key_Question, 191},
    Mapping{Qt::Key_QuoteLeft, 192},
    Mapping{Qt::Key_AsciiTilde, 192},
    Mapping{Qt::Key_BracketLeft, 219},
    Mapping{Qt::Key_BraceLeft, 219},
    Mapping{Qt::Key_Backslash, 220},
    Mapping{Qt::Key_Bar, 220},
    Mapping{Qt::Key_BracketRight, 221},
    Mapping{Qt::Key_BraceRight, 221},
    Mapping{Qt::Key_Apostrophe, 222},
    Mapping{Qt::Key_QuoteDbl, 222},
};

// Keypad keys that have codes of their own. With NumLock off the keypad sends the
// navigation keys, which keep their ordinary codes and so are not listed here.
constexpr std::array KeypadKeys{
    Mapping{Qt::Key_Asterisk, 106},
    Mapping{Qt::Key_Plus, 107},
    Mapping{Qt::Key_Minus, 109},
    Mapping{Qt::Key_Period, 110},
    // The decimal key of layouts that write a decimal comma.
    Mapping{Qt::Key_Comma, 110},
    Mapping{Qt::Key_Slash, 111},
};

// The digit row and the punctuation keys by position, as X11 and Wayland number them
// (evdev codes + 8). Windows gives these keys the same codes on every layout (the digit
// row is 48-57 even where it types symbols unshifted), so we go by the key, not by the
// character it types on the current layout.
constexpr std::array PhysicalKeys{
    Mapping{10, 49},  Mapping{11, 50},  Mapping{12, 51},  Mapping{13, 52},  Mapping{14, 53},
    Mapping{15, 54},  Mapping{16, 55},  Mapping{17, 56},  Mapping{18, 57},  Mapping{19, 48},
    Mapping{20, 189}, Mapping{21, 187}, Mapping{34, 219}, Mapping{35, 221}, Mapping{47, 186},
    Mapping{48, 222}, Mapping{49, 192}, Mapping{51, 220}, Mapping{59, 188}, Mapping{60, 190},
    Mapping{61, 191},
};

// The letter keys by position, for layouts whose letters are not Latin (Cyrillic, Greek…):
// there Windows still gives the key its US letter, so the command keys keep working. A key
// that types a Latin letter goes by that letter (an AZERTY A is A).
constexpr std::array LetterPositions{
    Mapping{24, 'Q'}, Mapping{25, 'W'}, Mapping{26, 'E'}, Mapping{27, 'R'}, Mapping{28, 'T'},
    Mapping{29, 'Y'}, Mapping{30, 'U'}, Mapping{31, 'I'}, Mapping{32, 'O'}, Mapping{33, 'P'},
    Mapping{38, 'A'}, Mapping{39, 'S'}, Mapping{40, 'D'}, Mapping{41, 'F'}, Mapping{42, 'G'},
    Mapping{43, 'H'}, Mapping{44, 'J'}, Mapping{45, 'K'}, Mapping{46, 'L'}, Mapping{52, 'Z'},
    Mapping{53, 'X'}, Mapping{54, 'C'}, Mapping{55, 'V'}, Mapping{56, 'B'}, Mapping{57, 'N'},
    Mapping{58, 'M'},
};

constexpr int KeypadDigit0 = 96;
constexpr int F1 = 112;
constexpr int FunctionKeyCount = 24;

template <std::size_t N> int lookUp(const std::array<Mapping, N>& table, int key) {
    const auto it =
        std::find_if(table.begin(), table.end(), [key](const Mapping& m) { return m.qtKey == key; });
    return it == table.end() ? -1 : it->code;
}

} // namespace

int fromQtKey(int key, bool keypad) {
    // Qt's codes for letters and digits are their ASCII values, as are Windows'.
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
    if (keypad) {
        if (digit) {
            return KeypadDigit0 + (key - Qt::Key_0);
        }
        if (const int code = lookUp(KeypadKeys, key); code != -1) {
            return code;
        }
    }
    if (digit || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;
    }
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + FunctionKeyCount) {
        return F1 + (key - Qt::Key_F1);
    }
    return lookUp(MainKeys, key);
}

int fromX11Keycode(int keycode) {
    return lookUp(PhysicalKeys, keycode);
}

int fromKeyEvent(const QKeyEvent& e) {
#ifdef Q_OS_WIN
    if (const quint32 native = e.nativeVirtualKey(); native != 0) {
        return static_cast<int>(native);
    }
#endif
    const bool keypad = e.modifiers().testFlag(Qt::KeypadModifier);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const int keycode = keypad ? 0 : static_cast<int>(e.nativeScanCode());
    if (keycode != 0) {
        if (const int code = fromX11Keycode(keycode); code != -1) {
            return code;
        }
    }
    const int code = fromQtKey(e.key(), keypad);
    if (code == -1 && keycode != 0) {
        return lookUp(LetterPositions, keycode);
    }
    return code;
#else
    return fromQtKey(e.key(), keypad);
#endif
}

int typedCharacter(int keyCode, int clearKey) {
    if (keyCode == NoKey) {
        return -1;
    }
    if (keyCode == VkSpace || keyCode == VkReturn) {
        return keyCode;
    }
    if (keyCode == clearKey) {
        return 0;
    }
    if (keyCode == VkOemPlus || keyCode == VkAdd) {
        return '+';
    }
    if (keyCode == VkOemMinus || keyCode == VkSubtract) {
        return '-';
    }
    if (keyCode >= VkNumpad0 && keyCode <= VkNumpad9) {
        return '0' + (keyCode - VkNumpad0);
    }
    if (keyCode >= '0' && keyCode <= '9') {
        return keyCode;
    }
    if (keyCode == VkDecimal || keyCode == VkOemPeriod) {
        return '.';
    }
    return -1;
}

} // namespace keycodes
