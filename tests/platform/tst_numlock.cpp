#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "platform/numlock_noop.h"
#include "platform/numlock_win.h"
#include "support/fakes.h"
#include "support/logcapture.h"

#include <QGuiApplication>
#include <QTest>
#include <optional>

// What reaches the keyboard itself is checked on a real X server by tst_numlock_x11; here, the
// cases no real keyboard will produce on demand.

class TestNumLock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_log.emplace("ravenmark.keyboard"); }
    void init() { m_log->clear(); }
    void cleanup() { setKeyboardBackend(nullptr); }

    void failureIsLoggedOnce_data() {
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("canSend");
        // Not taken for "off": a blind toggle could just as well switch NumLock the wrong way.
        QTest::newRow("state cannot be read") << false << true;
        QTest::newRow("key cannot be sent") << true << false;
    }
    void failureIsLoggedOnce() {
        QFETCH(bool, readable);
        QFETCH(bool, canSend);
        FakeKeyboard* keyboard = installFakeKeyboard();
        keyboard->readable = readable;
        keyboard->canSend = canSend;

        // As at every NumLock release on the board.
        for (int i = 0; i < 3; ++i) {
            modGrabKeys::SetNumLock(true);
        }

        QCOMPARE(keyboard->on, false);
        QCOMPARE(keyboard->toggles, 0);
        QCOMPARE(m_log->lines().size(), 1);
        // A backend put in later may have a failure of its own to report.
        installFakeKeyboard()->readable = false;
        modGrabKeys::SetNumLock(true);
        QCOMPARE(m_log->lines().size(), 2);
    }

    void offscreenUsesTheNoopBackend() {
        setKeyboardBackend(nullptr);
        const auto* noop = dynamic_cast<const NoopKeyboardBackend*>(&keyboardBackend());
        QVERIFY(noop != nullptr);
        QCOMPARE(noop->platform(), QStringLiteral("offscreen"));

        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOn);
        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOff);

        QCOMPARE(m_log->lines().size(), 1);
        QVERIFY2(m_log->lines().first().contains(QLatin1String("offscreen")),
                 qPrintable(m_log->lines().first()));
    }

    void windowsReadsOnlyTheToggleBit() {
        QVERIFY(!WinKeyboardBackend::toggledOn(0x00));
        QVERIFY(WinKeyboardBackend::toggledOn(0x01));
        QVERIFY(!WinKeyboardBackend::toggledOn(0x80)); // held down while off
        QVERIFY(WinKeyboardBackend::toggledOn(0x81));
    }

private:
    std::optional<LogCapture> m_log;
};

int main(int argc, char** argv) {
    // The default backend is under test: it must find no keyboard to act on.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestNumLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_numlock.moc"
