// Closing the board ends the program; kept apart because it ends the application's loop.
#include "boardfixture.h"

#include <QTimer>

class TestBoardClose : public QObject {
    Q_OBJECT

private slots:
    void closingTheBoardEndsEverything();
};

void TestBoardClose::closingTheBoardEndsEverything() {
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    Settings.BuzzerFile = QCoreApplication::applicationFilePath();
    auto* buzzer = new FakeBuzzer;
    BoardEnvironment env;
    env.buzzer = buzzer;
    frmScoreBoard board(nullptr, env);
    QWidget other;
    other.setWindowTitle(QStringLiteral("Help"));
    board.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    // Closed from inside the running loop, as the operator would; a loop that does not
    // end by itself is ended by the watchdog with a code the test rejects.
    QTimer::singleShot(0, &board, [&] { board.close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
    QCOMPARE(QApplication::exec(), 0);

    QVERIFY(!board.isVisible());
    QVERIFY(!other.isVisible());
    QVERIFY(!buzzer->commands.isEmpty());
    QCOMPARE(buzzer->commands.last(), QStringLiteral("Close"));
}

QTEST_MAIN(TestBoardClose)
#include "tst_boardclose.moc"
