#include "platform/keycodes.h"

#include <QKeyEvent>
#include <QTest>
#include <tuple>

class TestKeyCodes : public QObject {
    Q_OBJECT

private slots:
    void fromKeyEvent_data();
    void fromKeyEvent();
    void otherLayouts_data();
    void otherLayouts();
    void typedCharacter_data();
    void typedCharacter();
};

namespace {

constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;

void row(const char* name, int key, Qt::KeyboardModifiers modifiers, const QString& text, int expected) {
    QTest::newRow(name) << key << modifiers << text << expected;
}

} // namespace

void TestKeyCodes::fromKeyEvent_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    // GIVEN a letter typed plain, with Shift, or with CapsLock (text only changes)
    row("a", Qt::Key_A, None, "a", 65);
    row("Shift+A", Qt::Key_A, Shift, "A", 65);
    row("CapsLock a", Qt::Key_A, None, "A", 65);
    row("m", Qt::Key_M, None, "m", 77);
    row("Shift+Z", Qt::Key_Z, Shift, "Z", 90);
    row("Ctrl+S", Qt::Key_S, Qt::ControlModifier, "\x13", 83);
    row("Alt+B", Qt::Key_B, Qt::AltModifier, "", 66);

    // Main-block digits and their US-layout shifted symbols; Qt's codes for these keys are their characters.
    const char* const shiftedDigits = ")!@#$%^&*(";
    for (int d = 0; d <= 9; ++d) {
        const char digit = char('0' + d);
        const char symbol = shiftedDigits[d];
        row(QByteArray(1, digit).constData(), digit, None, QString(QLatin1Char(digit)), 48 + d);
        row(QByteArray("Shift+" + QByteArray(1, digit) + ' ' + symbol).constData(), symbol, Shift,
            QString(QLatin1Char(symbol)), 48 + d);
    }

    // Punctuation keys and their shifted symbols
    const std::tuple<char, char, int> punctuation[] = {
        {';', ':', 186},  {'=', '+', 187}, {',', '<', 188},  {'-', '_', 189},
        {'.', '>', 190},  {'/', '?', 191}, {'`', '~', 192},  {'[', '{', 219},
        {'\\', '|', 220}, {']', '}', 221}, {'\'', '"', 222},
    };
    for (const auto& [plain, shifted, code] : punctuation) {
        row(QByteArray(1, plain).constData(), plain, None, QString(QLatin1Char(plain)), code);
        row(QByteArray("Shift+" + QByteArray(1, plain) + ' ' + shifted).constData(), shifted, Shift,
            QString(QLatin1Char(shifted)), code);
    }

    // Keypad with NumLock on: digits and the decimal point have codes of their own
    for (int d = 0; d <= 9; ++d) {
        row(QByteArray("keypad " + QByteArray::number(d) + " NumLock on").constData(), Qt::Key_0 + d, Keypad,
            QString::number(d), 96 + d);
    }
    row("keypad . NumLock on", Qt::Key_Period, Keypad, ".", 110);
    row("keypad decimal comma NumLock on", Qt::Key_Comma, Keypad, ",", 110);

    // Keypad with NumLock off: the navigation keys, marked as keypad
    row("keypad 0 NumLock off Insert", Qt::Key_Insert, Keypad, "", 45);
    row("keypad 1 NumLock off End", Qt::Key_End, Keypad, "", 35);
    row("keypad 2 NumLock off Down", Qt::Key_Down, Keypad, "", 40);
    row("keypad 3 NumLock off Page Down", Qt::Key_PageDown, Keypad, "", 34);
    row("keypad 4 NumLock off Left", Qt::Key_Left, Keypad, "", 37);
    row("keypad 5 NumLock off Clear", Qt::Key_Clear, Keypad, "", 12);
    row("keypad 6 NumLock off Right", Qt::Key_Right, Keypad, "", 39);
    row("keypad 7 NumLock off Home", Qt::Key_Home, Keypad, "", 36);
    row("keypad 8 NumLock off Up", Qt::Key_Up, Keypad, "", 38);
    row("keypad 9 NumLock off Page Up", Qt::Key_PageUp, Keypad, "", 33);
    row("keypad . NumLock off Delete", Qt::Key_Delete, Keypad, "", 46);
    // Shift+keypad digit with NumLock on gives the same navigation keys
    row("Shift+keypad 7 Home", Qt::Key_Home, Keypad | Shift, "", 36);

    // Keypad operators and Enter do not depend on NumLock
    row("keypad *", Qt::Key_Asterisk, Keypad, "*", 106);
    row("keypad +", Qt::Key_Plus, Keypad, "+", 107);
    row("keypad -", Qt::Key_Minus, Keypad, "-", 109);
    row("keypad /", Qt::Key_Slash, Keypad, "/", 111);
    row("keypad Enter", Qt::Key_Enter, Keypad, "\r", 13);
    row("keypad Enter without keypad flag", Qt::Key_Enter, None, "\r", 13);
    row("Shift+keypad +", Qt::Key_Plus, Keypad | Shift, "+", 107);
    // A keypad key without a code of its own (macOS keypad =) keeps the ordinary one
    row("keypad =", Qt::Key_Equal, Keypad, "=", 187);

    // Function keys: F1 to F24
    for (int n = 1; n <= 24; ++n) {
        const QByteArray name = "F" + QByteArray::number(n);
        row(name.constData(), Qt::Key_F1 + n - 1, None, "", 111 + n);
    }
    row("Shift+F5", Qt::Key_F5, Shift, "", 116);

    // Editing, navigation, modifier and lock keys
    row("Backspace", Qt::Key_Backspace, None, "\b", 8);
    row("Tab", Qt::Key_Tab, None, "\t", 9);
    row("Shift+Tab Backtab", Qt::Key_Backtab, Shift, "", 9);
    row("Return", Qt::Key_Return, None, "\r", 13);
    row("Shift", Qt::Key_Shift, Shift, "", 16);
    row("Ctrl", Qt::Key_Control, Qt::ControlModifier, "", 17);
    row("Alt", Qt::Key_Alt, Qt::AltModifier, "", 18);
    row("AltGr", Qt::Key_AltGr, None, "", 18);
    row("Pause", Qt::Key_Pause, None, "", 19);
    row("CapsLock", Qt::Key_CapsLock, None, "", 20);
    row("Esc", Qt::Key_Escape, None, "\x1b", 27);
    row("Space", Qt::Key_Space, None, " ", 32);
    row("Shift+Space", Qt::Key_Space, Shift, " ", 32);
    row("Page Up", Qt::Key_PageUp, None, "", 33);
    row("Page Down", Qt::Key_PageDown, None, "", 34);
    row("End", Qt::Key_End, None, "", 35);
    row("Home", Qt::Key_Home, None, "", 36);
    row("Left", Qt::Key_Left, None, "", 37);
    row("Up", Qt::Key_Up, None, "", 38);
    row("Right", Qt::Key_Right, None, "", 39);
    row("Down", Qt::Key_Down, None, "", 40);
    row("Print", Qt::Key_Print, None, "", 44);
    row("Alt+Print SysReq", Qt::Key_SysReq, Qt::AltModifier, "", 44);
    row("Insert", Qt::Key_Insert, None, "", 45);
    row("Delete", Qt::Key_Delete, None, "\x7f", 46);
    row("Meta", Qt::Key_Meta, Qt::MetaModifier, "", 91);
    row("Super left", Qt::Key_Super_L, None, "", 91);
    row("Super right", Qt::Key_Super_R, None, "", 91);
    row("Menu", Qt::Key_Menu, None, "", 93);
    row("NumLock", Qt::Key_NumLock, None, "", 144);
    row("NumLock keypad flag", Qt::Key_NumLock, Keypad, "", 144);
    row("ScrollLock", Qt::Key_ScrollLock, None, "", 145);

    // Keys without a code
    row("unknown", Qt::Key_unknown, None, "", -1);
    row("no key", 0, None, "", -1);
    row("F25", Qt::Key_F25, None, "", -1);
    row("A umlaut", Qt::Key_Adiaeresis, None, QStringLiteral("\u00e4"), -1);
    row("currency sign", Qt::Key_currency, None, QStringLiteral("\u00a4"), -1);
    row("dead acute", Qt::Key_Dead_Acute, None, "", -1);
    row("volume up", Qt::Key_VolumeUp, None, "", -1);
    row("keypad unknown", Qt::Key_unknown, Keypad, "", -1);
}

void TestKeyCodes::fromKeyEvent() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(int, expected);

    // WHEN the platform delivers a key press carrying no native virtual-key code
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, text);

    // THEN the code is that of the physical key
    QCOMPARE(keycodes::fromKeyEvent(event), expected);
    QCOMPARE(keycodes::fromQtKey(key, modifiers.testFlag(Qt::KeypadModifier)), expected);
}

// On X11 and Wayland a key event carries its X11 keycode. The digit row and punctuation go
// by that position, whatever the layout makes them type; letters follow the layout.
void TestKeyCodes::otherLayouts_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<quint32>("x11Keycode");
    QTest::addColumn<int>("expected");

    const Qt::KeyboardModifiers None = Qt::NoModifier;
    const Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
    QTest::newRow("AZERTY digit row 1 types &") << int(Qt::Key_Ampersand) << None << 10u << 49;
    QTest::newRow("AZERTY digit row 6 types -") << int(Qt::Key_Minus) << None << 15u << 54;
    QTest::newRow("AZERTY digit row 9 types c cedilla") << int(Qt::Key_Ccedilla) << None << 18u << 57;
    QTest::newRow("AZERTY shifted 1 types 1") << int(Qt::Key_1) << Shift << 10u << 49;
    QTest::newRow("QWERTZ shifted 0 types =") << int(Qt::Key_Equal) << Shift << 19u << 48;
    QTest::newRow("QWERTZ sharp s key") << int(Qt::Key_ssharp) << None << 20u << 189;
    QTest::newRow("QWERTZ plus key") << int(Qt::Key_Plus) << None << 35u << 221;
    QTest::newRow("US equals key") << int(Qt::Key_Equal) << None << 21u << 187;
    QTest::newRow("US slash key") << int(Qt::Key_Slash) << None << 61u << 191;
    QTest::newRow("AZERTY A key is A") << int(Qt::Key_A) << None << 24u << 65;
    QTest::newRow("QWERTZ Z key is Z") << int(Qt::Key_Z) << None << 29u << 90;
    QTest::newRow("Russian key that types Ы is S") << 0x042B << None << 39u << 83;
    QTest::newRow("Russian shifted key that types Б is comma") << 0x0411 << Shift << 59u << 188;
    QTest::newRow("Greek key that types τ is T") << 0x03A4 << None << 28u << 84;
    QTest::newRow("unknown symbol off the letter keys has no code") << 0x03A4 << None << 66u << -1;
    QTest::newRow("F5 keeps its code") << int(Qt::Key_F5) << None << 71u << 116;
    QTest::newRow("keypad 1 is the keypad")
        << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 87u << 97;
    QTest::newRow("no keycode falls back") << int(Qt::Key_Exclam) << Shift << 0u << 49;
}

void TestKeyCodes::otherLayouts() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(quint32, x11Keycode);
    QFETCH(int, expected);
    const QKeyEvent event(QEvent::KeyPress, key, modifiers, x11Keycode, 0, 0);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QCOMPARE(keycodes::fromKeyEvent(event), expected);
#else
    QSKIP("X11 keycodes only");
#endif
}

void TestKeyCodes::typedCharacter_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("clearKey");
    QTest::addColumn<int>("expected");

    QTest::newRow("digit row 0") << int('0') << 8 << int('0');
    QTest::newRow("digit row 9") << int('9') << 8 << int('9');
    QTest::newRow("keypad 0") << 96 << 8 << int('0');
    QTest::newRow("keypad 9") << 105 << 8 << int('9');
    QTest::newRow("keypad plus") << 107 << 8 << int('+');
    QTest::newRow("equals/plus key") << 187 << 8 << int('+');
    QTest::newRow("keypad minus") << 109 << 8 << int('-');
    QTest::newRow("minus key") << 189 << 8 << int('-');
    QTest::newRow("keypad decimal") << 110 << 8 << int('.');
    QTest::newRow("full stop") << 190 << 8 << int('.');
    QTest::newRow("Enter") << 13 << 8 << 13;
    QTest::newRow("Space") << 32 << 8 << 32;
    QTest::newRow("Backspace as the clear key") << 8 << 8 << 0;
    QTest::newRow("Backspace when another key clears") << 8 << 67 << -1;
    QTest::newRow("a letter as the clear key") << 67 << 67 << 0;
    QTest::newRow("a digit as the clear key clears") << int('5') << int('5') << 0;
    QTest::newRow("Enter stays Enter even as the clear key") << 13 << 13 << 13;
    QTest::newRow("a letter types nothing") << int('A') << 8 << -1;
    QTest::newRow("keypad multiply types nothing") << 106 << 8 << -1;
    QTest::newRow("no key, clear key unset") << -1 << -1 << -1;
}

void TestKeyCodes::typedCharacter() {
    QFETCH(int, code);
    QFETCH(int, clearKey);
    QFETCH(int, expected);
    QCOMPARE(keycodes::typedCharacter(code, clearKey), expected);
}

QTEST_MAIN(TestKeyCodes)
#include "tst_keycodes.moc"
