#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "platform/numlock_noop.h"
#include "platform/numlock_win.h"

#include <QGuiApplication>
#include <QTest>
#include <climits>

namespace {

// A NumLock kept in memory; nullopt is a state that cannot be read.
class FakeKeyboard final : public KeyboardBackend {
public:
    std::optional<bool> on;
    bool canSend = true;
    int reads = 0;
    int toggles = 0;

    std::optional<bool> numLockOn() override {
        ++reads;
        return on;
    }
    bool toggleNumLock() override {
        if (!canSend || !on) {
            return false;
        }
        ++toggles;
        on = !*on;
        return true;
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

FakeKeyboard* installFake(std::optional<bool> on, bool canSend = true) {
    auto fake = std::make_unique<FakeKeyboard>();
    FakeKeyboard* raw = fake.get();
    raw->on = on;
    raw->canSend = canSend;
    setKeyboardBackend(std::move(fake));
    return raw;
}

// -1 in a data row: a state that cannot be read.
std::optional<bool> stateOf(int row) {
    return row < 0 ? std::nullopt : std::optional<bool>(row != 0);
}

} // namespace

class TestNumLock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(recordKeyboardLog); }
    void init() { keyboardLog.clear(); }
    void cleanup() { setKeyboardBackend(nullptr); }

    void setNumLockRepeated_data() {
        QTest::addColumn<int>("initial");
        QTest::addColumn<bool>("canSend");
        QTest::addColumn<bool>("wantOn");
        QTest::addColumn<int>("toggles");
        QTest::addColumn<int>("final");
        QTest::addColumn<int>("logLines");
        QTest::newRow("off, want on") << 0 << true << true << 1 << 1 << 0;
        QTest::newRow("on, want on") << 1 << true << true << 0 << 1 << 0;
        QTest::newRow("on, want off") << 1 << true << false << 1 << 0 << 0;
        QTest::newRow("off, want off") << 0 << true << false << 0 << 0 << 0;
        // Not taken for "off": a blind toggle could switch it the wrong way.
        QTest::newRow("unreadable, want on") << -1 << true << true << 0 << -1 << 1;
        QTest::newRow("unreadable, want off") << -1 << true << false << 0 << -1 << 1;
        QTest::newRow("key cannot be sent") << 0 << false << true << 0 << 0 << 1;
    }
    void setNumLockRepeated() {
        QFETCH(int, initial);
        QFETCH(bool, canSend);
        QFETCH(bool, wantOn);
        QFETCH(int, toggles);
        QFETCH(int, final);
        QFETCH(int, logLines);
        FakeKeyboard* keyboard = installFake(stateOf(initial), canSend);

        // As at every NumLock release on the board: once the state matches, nothing more is sent,
        // and a keyboard that cannot be driven is reported only the first time.
        for (int i = 0; i < 3; ++i) {
            modGrabKeys::SetNumLock(wantOn);
        }

        QCOMPARE(keyboard->toggles, toggles);
        QCOMPARE(keyboard->on, stateOf(final));
        QCOMPARE(keyboardLog.size(), logLines);
    }

    void updateNumLock_data() {
        QTest::addColumn<int>("force");
        QTest::addColumn<bool>("initial");
        QTest::addColumn<bool>("final");
        QTest::addColumn<bool>("touched");
        QTest::newRow("normal, on") << 0 << true << true << false;
        QTest::newRow("normal, off") << 0 << false << false << false;
        QTest::newRow("keep on, off") << 1 << false << true << true;
        QTest::newRow("keep on, on") << 1 << true << true << true;
        QTest::newRow("keep off, on") << 2 << true << false << true;
        QTest::newRow("keep off, off") << 2 << false << false << true;
        QTest::newRow("3 is normal") << 3 << true << true << false;
        QTest::newRow("-1 is normal") << -1 << false << false << false;
        QTest::newRow("lowest is normal") << INT_MIN << true << true << false;
        QTest::newRow("highest is normal") << INT_MAX << false << false << false;
    }
    void updateNumLock() {
        QFETCH(int, force);
        QFETCH(bool, initial);
        QFETCH(bool, final);
        QFETCH(bool, touched);
        FakeKeyboard* keyboard = installFake(initial);

        modGrabKeys::UpdateNumLock(force);

        QCOMPARE(keyboard->on, std::optional<bool>(final));
        // "Normal" does not even look, so it can never log.
        QCOMPARE(keyboard->reads > 0, touched);
        QCOMPARE(keyboard->toggles, initial == final ? 0 : 1);
    }

    void newBackendReportsItsOwnFailure() {
        installFake(std::nullopt);
        modGrabKeys::SetNumLock(true);
        installFake(std::nullopt);
        modGrabKeys::SetNumLock(true);
        modGrabKeys::SetNumLock(false);
        QCOMPARE(keyboardLog.size(), 2);
    }

    void offscreenUsesTheNoopBackend() {
        setKeyboardBackend(nullptr);
        const auto* noop = dynamic_cast<const NoopKeyboardBackend*>(&keyboardBackend());
        QVERIFY(noop != nullptr);
        QCOMPARE(noop->platform(), QStringLiteral("offscreen"));

        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOn);
        modGrabKeys::UpdateNumLock(modGrabKeys::NumLockKeepOff);
        modGrabKeys::SetNumLock(true);

        QCOMPARE(keyboardLog.size(), 1);
        QVERIFY2(keyboardLog.first().contains(QLatin1String("offscreen")), qPrintable(keyboardLog.first()));
    }

    void windowsReadsOnlyTheToggleBit_data() {
        QTest::addColumn<int>("stateByte");
        QTest::addColumn<bool>("on");
        QTest::newRow("off") << 0x00 << false;
        QTest::newRow("on") << 0x01 << true;
        QTest::newRow("held down while off") << 0x80 << false;
        QTest::newRow("held down while on") << 0x81 << true;
    }
    void windowsReadsOnlyTheToggleBit() {
        QFETCH(int, stateByte);
        QFETCH(bool, on);
        QCOMPARE(WinKeyboardBackend::toggledOn(static_cast<unsigned char>(stateByte)), on);
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
