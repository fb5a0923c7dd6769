#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "platform/numlock_noop.h"
#include "platform/numlock_win.h"

#include <QGuiApplication>
#include <QTest>

// What reaches the keyboard itself is checked on a real X server by tst_numlock_x11; here, the
// cases no real keyboard will produce on demand.

namespace {

// A NumLock kept in memory.
class FakeKeyboard final : public KeyboardBackend {
public:
    bool readable = true;
    bool canSend = true;
    bool on = false;
    int toggles = 0;

    std::optional<bool> numLockOn() override { return readable ? std::optional<bool>(on) : std::nullopt; }
    bool toggleNumLock() override {
        if (canSend) {
            ++toggles;
            on = !on;
        }
        return canSend;
    }
    QString failure() const override { return QStringLiteral("refused by the test"); }
};

QStringList keyboardLog;
QtMessageHandler previousHandler = nullptr;

void recordKeyboardLog(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (QByteArrayView(context.category) == "ravenmark.keyboard") {
        keyboardLog << text;
    }
    previousHandler(type, context, text);
}

FakeKeyboard* installFake() {
    auto fake = std::make_unique<FakeKeyboard>();
    FakeKeyboard* raw = fake.get();
    setKeyboardBackend(std::move(fake));
    return raw;
}

} // namespace

class TestNumLock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(recordKeyboardLog); }
    void init() { keyboardLog.clear(); }
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
        FakeKeyboard* keyboard = installFake();
        keyboard->readable = readable;
        keyboard->canSend = canSend;

        // As at every NumLock release on the board.
        for (int i = 0; i < 3; ++i) {
            modGrabKeys::SetNumLock(true);
        }

        QCOMPARE(keyboard->on, false);
        QCOMPARE(keyboard->toggles, 0);
        QCOMPARE(keyboardLog.size(), 1);
        // A backend put in later may have a failure of its own to report.
        installFake()->readable = false;
        modGrabKeys::SetNumLock(true);
        QCOMPARE(keyboardLog.size(), 2);
    }

    void offscreenUsesTheNoopBackend() {
        setKeyboardBackend(nullptr);
        const auto* noop = dynamic_cast<const NoopKeyboardBackend*>(&keyboardBackend());
        QVERIFY(noop != nullptr);
        QCOMPARE(noop->platform(), QStringLiteral("offscreen"));

        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOn);
        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOff);

        QCOMPARE(keyboardLog.size(), 1);
        QVERIFY2(keyboardLog.first().contains(QLatin1String("offscreen")), qPrintable(keyboardLog.first()));
    }

    void windowsReadsOnlyTheToggleBit() {
        QVERIFY(!WinKeyboardBackend::toggledOn(0x00));
        QVERIFY(WinKeyboardBackend::toggledOn(0x01));
        QVERIFY(!WinKeyboardBackend::toggledOn(0x80)); // held down while off
        QVERIFY(WinKeyboardBackend::toggledOn(0x81));
    }
};

int main(int argc, char** argv) {
    // The default backend is under test: it must find no keyboard to act on.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestNumLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_numlock.moc"
