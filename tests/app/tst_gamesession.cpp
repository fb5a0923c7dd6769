// The board's game beyond the board: undo and redo from the keyboard, the game put back after a
// crash with a notice, and a new game on Ctrl+N.
#include "../scoreboard/boardfixture.h"
#include "../support/recordfixture.h"
#include "app/gamesession.h"
#include "game/game.h"

namespace {

// A session on a board of its own, recording into the folder given.
struct SessionFixture {
    BoardFixture f;
    QStringList asked;
    bool answer = true;
    std::unique_ptr<GameSession> session;

    explicit SessionFixture(const RecordFolder& folder) {
        GameSessionEnvironment env;
        env.record.path = folder.path();
        env.record.retryMs = 0;
        env.confirm = [this](QWidget*, const QString& question) {
            asked << question;
            return answer;
        };
        session = std::make_unique<GameSession>(*f.board, env);
        session->start();
        session->showNotice();
    }
    Game& game() const { return f.board->game(); }
    qint64 value(GameField field) const { return game().value(field); }

    // Keys written as the operator names them: "Ins", "^Z" (Ctrl+Z), "^+Z" (Ctrl+Shift+Z), "S" ...
    void keys(const QString& text) const {
        static const QHash<QString, Qt::Key> names{
            {QStringLiteral("Ins"), Qt::Key_Insert}, {QStringLiteral("Home"), Qt::Key_Home},
            {QStringLiteral("Del"), Qt::Key_Delete}, {QStringLiteral("Left"), Qt::Key_Left},
            {QStringLiteral("F12"), Qt::Key_F12},    {QStringLiteral("Enter"), Qt::Key_Return},
            {QStringLiteral("."), Qt::Key_Period},
        };
        for (QString token : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            Qt::KeyboardModifiers mods;
            if (token.startsWith(QLatin1String("^+"))) {
                mods = Qt::ControlModifier | Qt::ShiftModifier;
                token = token.mid(2);
            } else if (token.startsWith(QLatin1Char('^'))) {
                mods = Qt::ControlModifier;
                token = token.mid(1);
            }
            const Qt::Key key = names.value(token, Qt::Key(token.at(0).unicode()));
            f.key(key, mods);
        }
    }
};

} // namespace

class TestGameSession : public QObject {
    Q_OBJECT

private slots:
    void undoRedo_data();
    void undoRedo();
    void undoAndRedoAreRecorded();
    void resumedAfterCrash();
    void newGame_data();
    void newGame();
};

void TestGameSession::undoRedo_data() {
    QTest::addColumn<bool>("zIsBound"); // Z bound to home +1
    QTest::addColumn<QString>("keys");
    QTest::addColumn<qint64>("home");
    QTest::addColumn<qint64>("visitor");
    QTest::addColumn<qint64>("possession");
    QTest::addColumn<qint64>("running");

    QTest::newRow("undo the last change") << false << "Ins Home ^Z" << 1LL << 0LL << 0LL << 0LL;
    QTest::newRow("undo twice, redo once") << false << "Ins Home ^Z ^Z ^Y" << 1LL << 0LL << 0LL << 0LL;
    QTest::newRow("Ctrl+Shift+Z redoes") << false << "Ins ^Z ^+Z" << 1LL << 0LL << 0LL << 0LL;
    QTest::newRow("a new change clears redo") << false << "Ins Ins ^Z Del ^Y" << 1LL << 1LL << 0LL << 0LL;
    QTest::newRow("nothing left to undo") << false << "Ins ^Z ^Z ^Z" << 0LL << 0LL << 0LL << 0LL;
    QTest::newRow("possession undone") << false << "Left Ins ^Z ^Z" << 0LL << 0LL << 0LL << 0LL;
    QTest::newRow("clock start not undone") << false << "Ins S ^Z" << 0LL << 0LL << 0LL << 1LL;
    QTest::newRow("Ctrl+Z is no Z") << true << "Z Z ^Z" << 1LL << 0LL << 0LL << 0LL;
    QTest::newRow("redo of a bound Z") << true << "Z ^Z ^Y" << 1LL << 0LL << 0LL << 0LL;
}

void TestGameSession::undoRedo() {
    QFETCH(bool, zIsBound);
    QFETCH(QString, keys);
    RecordFolder folder;
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    SessionFixture s(folder);
    if (zIsBound) {
        Settings.QScoreH1 = 90; // Z
    }
    s.keys(keys);
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    QTEST(s.value(GameField::ScoreHome), "home");
    QTEST(s.value(GameField::ScoreVisitor), "visitor");
    QTEST(s.value(GameField::Possession), "possession");
    QTEST(s.value(GameField::ClockRunning), "running");
}

void TestGameSession::undoAndRedoAreRecorded() {
    RecordFolder folder;
    SessionFixture s(folder);
    s.keys(QStringLiteral("Ins Home ^Z ^Y"));
    QVERIFY(s.session->flush());
    const std::optional<StoredGame> game = readBack(folder.path());
    QVERIFY(game);
    QCOMPARE(game->header.league, QStringLiteral("Custom"));
    QStringList history;
    for (const RecordedEvent& e : game->events) {
        history << QStringLiteral("%1 %2>%3 %4")
                       .arg(fieldName(e.event.field))
                       .arg(e.event.oldValue)
                       .arg(e.event.newValue)
                       .arg(causeName(e.event.cause));
    }
    QCOMPARE(history, (QStringList{"scoreHome 0>1 quickKey", "scoreHome 1>3 quickKey", "scoreHome 3>1 undo",
                                   "scoreHome 1>3 redo"}));
}

void TestGameSession::resumedAfterCrash() {
    RecordFolder folder;
    QList<GameValue> before;
    {
        SessionFixture s(folder);
        QVERIFY(!s.session->resumed());
        QVERIFY(!s.session->notice()); // nothing of this on a first start
        s.keys(QStringLiteral("Ins Home F12 Left S"));
        s.f.clock.advanceMs(3000);
        s.keys(QStringLiteral("S")); // stopped at 9:57
        s.keys(QStringLiteral("S")); // and running when the program dies
        before = s.game().snapshot();
        QVERIFY(s.session->flush());
        // Gone without an end mark.
    }

    SessionFixture again(folder);
    QVERIFY(again.session->resumed());
    for (const GameValue& v : again.game().snapshot()) {
        const qint64 expected = v.field == GameField::ClockRunning || v.field == GameField::ShotClockRunning
                                    ? 0
                                    : before[int(v.field)].value;
        QVERIFY2(v.value == expected, qPrintable(fieldName(v.field)));
    }
    QCOMPARE(again.value(GameField::GameClock), 5'970'000);
    const QLabel* notice = again.session->notice();
    QVERIFY(notice && notice->isVisible());
    QVERIFY(QRegularExpression(
                QStringLiteral(R"(^Game restored from \d\d:\d\d:\d\d\. Ctrl\+N starts a new game\.$)"))
                .match(notice->text())
                .hasMatch());

    // The next key hides it, and does what it always does.
    again.keys(QStringLiteral("Ins"));
    QVERIFY(!notice->isVisible());
    QCOMPARE(again.value(GameField::ScoreHome), 4);

    // Closed normally: the next start is a new game.
    again.session->end();
    again.session.reset();
    SessionFixture third(folder);
    QVERIFY(!third.session->resumed());
    QCOMPARE(third.value(GameField::ScoreHome), 0);
}

void TestGameSession::newGame_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
}

void TestGameSession::newGame() {
    QFETCH(bool, yes);
    RecordFolder folder;
    SessionFixture s(folder);
    s.keys(QStringLiteral("Ins F12 Left"));
    s.answer = yes;
    s.keys(QStringLiteral("^N"));
    QCOMPARE(s.asked, QStringList{QStringLiteral("Start a new game?")});
    QCOMPARE(s.value(GameField::ScoreHome), yes ? 0 : 1);
    QCOMPARE(s.value(GameField::FoulsVisitor), yes ? 0 : 1);
    QCOMPARE(s.value(GameField::Possession), yes ? 0 : 1);
    s.keys(QStringLiteral("^Z")); // after Yes nothing of the old game comes back; after No, the arrow goes
    QCOMPARE(s.value(GameField::Possession), 0);

    QVERIFY(s.session->flush());
    RecordDatabase db(QStringLiteral("test-new-game"));
    QVERIFY(db.open(folder.path(), RecordDatabase::Access::ReadOnly));
    const std::optional<QList<GameSummary>> games = db.listGames();
    QVERIFY(games);
    QCOMPARE(games->size(), yes ? 2 : 1);
    QCOMPARE(bool(games->first().endedMs), yes);
}

QTEST_MAIN(TestGameSession)
#include "tst_gamesession.moc"
