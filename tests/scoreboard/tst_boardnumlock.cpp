// The board applies the NumLock option when it opens and whenever the operator lets go of
// NumLock; the real keyboard is tested under X, this is the board's side of it.
#include "boardfixture.h"
#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "support/fakes.h"

class TestBoardNumLock : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setKeyboardBackend(nullptr); }
    void appliedAtLoadAndAfterNumLockKey_data();
    void appliedAtLoadAndAfterNumLockKey();
};

void TestBoardNumLock::appliedAtLoadAndAfterNumLockKey_data() {
    QTest::addColumn<int>("force");
    QTest::addColumn<bool>("initiallyOn");
    QTest::addColumn<int>("togglesAtLoad");
    QTest::addColumn<bool>("undoesOperator"); // the operator's own NumLock press is put back

    QTest::newRow("keep on, was off") << 1 << false << 1 << true;
    QTest::newRow("keep on, was on") << 1 << true << 0 << true;
    QTest::newRow("keep off, was on") << 2 << true << 1 << true;
    QTest::newRow("keep off, was off") << 2 << false << 0 << true;
    QTest::newRow("normal leaves it") << 0 << false << 0 << false;
    QTest::newRow("unknown mode leaves it") << 7 << true << 0 << false;
}

void TestBoardNumLock::appliedAtLoadAndAfterNumLockKey() {
    QFETCH(int, force);
    QFETCH(bool, initiallyOn);
    QFETCH(int, togglesAtLoad);
    QFETCH(bool, undoesOperator);

    FakeKeyboard* fake = installFakeKeyboard(initiallyOn);
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    Settings.NumLockForce = force;
    BoardFixture f(QCoreApplication::applicationFilePath(), false);
    QCOMPARE(fake->toggles, togglesAtLoad);

    // The operator's press toggles the real state; the release makes the board look again.
    fake->toggleNumLock();
    fake->toggles = 0;
    f.key(Qt::Key_NumLock);
    QCOMPARE(fake->toggles, undoesOperator ? 1 : 0);
}

QTEST_MAIN(TestBoardNumLock)
#include "tst_boardnumlock.moc"
