#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "platform/numlock_x11.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

// Xlib after Qt: its macros (KeyPress, None, Bool, Status) must meet none of Qt's names.
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// Stands in for the board: counts NumLock presses and releases as they reach the focused
// window, and applies the option whenever NumLock is let go.
class BoardStandIn : public QWindow {
public:
    std::int32_t force = 0;
    int presses = 0;
    int releases = 0;
    int fences = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override { presses += e->key() == Qt::Key_NumLock ? 1 : 0; }
    void keyReleaseEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_NumLock) {
            // Past a few, the program is answering its own keys without end: stop feeding the loop so
            // that the counts fail the test rather than a flood hanging it.
            if (++releases <= 4) {
                modGrabKeys::UpdateNumLock(force);
            }
        } else if (e->key() == Qt::Key_F12) {
            ++fences;
        }
    }
};

// Qt's own connection, so that the test's requests and the program's reach the server in order.
Display* display() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

bool serverNumLockOn() {
    XkbStateRec state{};
    XkbGetState(display(), XkbUseCoreKbd, &state);
    return (state.locked_mods & XkbKeysymToModifiers(display(), XK_Num_Lock)) != 0;
}

// The operator's keyboard.
void click(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(display(), sym);
    XTestFakeKeyEvent(display(), code, 1, CurrentTime);
    XTestFakeKeyEvent(display(), code, 0, CurrentTime);
    XSync(display(), 0);
}

} // namespace

class TestNumLockX11 : public QObject {
    Q_OBJECT

    BoardStandIn m_board;

    // Returns once every NumLock event sent so far, and every one sent in answer to those, has
    // arrived: F12 goes through the server behind them, and a round with nothing new between two
    // F12s leaves nothing on the way.
    bool settle() {
        for (int round = 0; round < 20; ++round) {
            const int seen = m_board.presses + m_board.releases;
            const int fences = m_board.fences;
            click(XK_F12);
            if (!QTest::qWaitFor([&] { return m_board.fences > fences; })) {
                return false;
            }
            if (m_board.presses + m_board.releases == seen) {
                return true;
            }
        }
        return false;
    }

    bool start(bool numLockOn, std::int32_t force) {
        m_board.force = 0;
        if (serverNumLockOn() != numLockOn) {
            click(XK_Num_Lock);
        }
        const bool settled = settle();
        m_board.presses = m_board.releases = 0;
        m_board.force = force;
        return settled && serverNumLockOn() == numLockOn;
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_board.resize(200, 100);
        m_board.show();
        m_board.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&m_board));
    }
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("NumLock"))); }
    void cleanupTestCase() {
        // Xvfb keeps the keyboard state for the tests that come after.
        QVERIFY(start(false, 0));
    }

    void defaultBackendIsX11() {
        setKeyboardBackend(nullptr);
        QVERIFY(dynamic_cast<X11KeyboardBackend*>(&keyboardBackend()) != nullptr);
    }

    void holdNumLock_data() {
        QTest::addColumn<bool>("operatorPress"); // else the option is applied, as when the board opens
        QTest::addColumn<int>("force");
        QTest::addColumn<bool>("initial");
        QTest::addColumn<bool>("final");
        QTest::addColumn<int>("keyEvents"); // NumLock presses, and as many releases, at the window
        QTest::newRow("keep on, off") << false << 1 << false << true << 1;
        QTest::newRow("keep on, already on") << false << 1 << true << true << 0;
        QTest::newRow("keep off, on") << false << 2 << true << false << 1;
        QTest::newRow("keep off, already off") << false << 2 << false << false << 0;
        QTest::newRow("normal, on") << false << 0 << true << true << 0;
        QTest::newRow("unknown option") << false << 3 << false << false << 0;
        // The operator's press and release, then one synthetic pair whose own release changes nothing.
        QTest::newRow("operator, keep on") << true << 1 << true << true << 2;
        QTest::newRow("operator, keep off") << true << 2 << false << false << 2;
        QTest::newRow("operator, normal, off") << true << 0 << false << true << 1;
        QTest::newRow("operator, normal, on") << true << 0 << true << false << 1;
    }
    void holdNumLock() {
        QFETCH(bool, operatorPress);
        QFETCH(int, force);
        QFETCH(bool, initial);
        QFETCH(bool, final);
        QFETCH(int, keyEvents);
        QVERIFY(start(initial, force));

        if (operatorPress) {
            click(XK_Num_Lock);
        } else {
            modGrabKeys::UpdateNumLock(force);
        }

        QVERIFY(settle());
        QCOMPARE(serverNumLockOn(), final);
        QCOMPARE(m_board.presses, keyEvents);
        QCOMPARE(m_board.releases, keyEvents);
    }
};

QTEST_MAIN(TestNumLockX11)
#include "tst_numlock_x11.moc"
