// The live feed of the running program: started as main() starts it, with the feed turned on in
// the store, then a scripted game played through the board's keys.
#include "../scoreboard/boardfixture.h"
#include "app/startup.h"
#include "game/game.h"
#include "support/feedtestclient.h"
#include "support/privaterecord.h"

#include <QJsonArray>
#include <QRegularExpression>

class TestFeedGame : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void scriptedGameReachesTheFeed();
};

void TestFeedGame::cleanup() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    setSettingsStore(nullptr);
}

void TestFeedGame::scriptedGameReachesTheFeed() {
    // GIVEN the program started with the feed on, on a free port of this computer
    const quint16 port = freeFeedPort();
    auto store = std::make_unique<MemorySettingsStore>();
    store->write(QStringLiteral("Ravenmark"), QStringLiteral("FeedSettings"), QStringLiteral("Enabled"),
                 QStringLiteral("Yes"));
    store->write(QStringLiteral("Ravenmark"), QStringLiteral("FeedSettings"), QStringLiteral("Port"),
                 QString::number(port));
    setSettingsStore(std::move(store));
    Settings = SettingsRecord();
    ManualClock clock;
    auto startup = std::make_unique<Startup>(QStringList{QStringLiteral("bypass")});
    givePrivateRecord(*startup);
    startup->boardEnvironment = [&clock] {
        BoardEnvironment env;
        env.clock = &clock;
        env.buzzer = new FakeBuzzer;
        env.twelveHourClock = [] {
            return false;
        };
        return env;
    };
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("live feed is on http://127.0.0.1:%1/").arg(port)));
    startup->start();
    frmScoreBoard* board = startup->board();
    QVERIFY(board != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(board));
    QList<GameEvent> played;
    connect(&board->game(), &Game::changed, this,
            [&played](const GameEvent& event) { played.append(event); });
    FeedSocket client(feedUrl(port));
    QTRY_COMPARE(client.messages.size(), 1);

    // WHEN a game is played on the keys: scores, fouls to the bonus, a timeout, the period,
    // possession both ways, the shot clock and the game clock
    const auto key = [board](Qt::Key k) {
        QTest::keyClick(board->windowHandle(), k);
    };
    for (Qt::Key k : {Qt::Key_Insert, Qt::Key_Home, Qt::Key_PageDown, Qt::Key_Delete, Qt::Key_F7, Qt::Key_P,
                      Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_T}) {
        key(k);
    }
    for (int foul = 0; foul < 7; ++foul) {
        key(Qt::Key_F11);
    }
    key(Qt::Key_S);

    // THEN the client receives every change of the game, once and in order
    QList<QJsonObject> received;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            received.clear();
            for (const QJsonObject& message : std::as_const(client.messages)) {
                for (const QJsonValue& change : message[QStringLiteral("changes")].toArray()) {
                    received.append(change.toObject());
                }
            }
            return received.size() >= played.size();
        }(),
        5000);
    QVERIFY(played.size() >= 15);
    QCOMPARE(received.size(), played.size());
    for (qsizetype i = 0; i < played.size(); ++i) {
        const QJsonObject& change = received[i];
        QCOMPARE(change[QStringLiteral("seq")].toInteger(), i + 1);
        QCOMPARE(change[QStringLiteral("field")].toString(), fieldName(played[i].field));
        QCOMPARE(change[QStringLiteral("old")].toInteger(), played[i].oldValue);
        QCOMPARE(change[QStringLiteral("new")].toInteger(), played[i].newValue);
        QCOMPARE(change[QStringLiteral("cause")].toString(), causeName(played[i].cause));
    }

    // ...and /state holds what the board shows
    const RawReply reply = rawRequest(port, getRequest("/state"));
    QCOMPARE(reply.status, 200);
    const QJsonObject state = QJsonDocument::fromJson(reply.body).object();
    const auto shown = [board](const char* name) {
        return qint64(board->findChild<DigitPanel*>(QLatin1String(name))->caption());
    };
    const std::pair<const char*, const char*> readouts[] = {
        {"scoreHome", "digHome"},        {"scoreVisitor", "digVisitor"},      {"foulsHome", "digFoulsH"},
        {"foulsVisitor", "digFoulsV"},   {"timeoutsHome", "digTimeoutsH"},    {"period", "digPeriod"},
        {"playerFoul", "digPlayerFoul"}, {"timeoutsVisitor", "digTimeoutsV"}, {"playerFouls", "digFouls"},
    };
    for (const auto& [key, readout] : readouts) {
        QVERIFY2(state[QLatin1String(key)].toInteger() == shown(readout), key);
    }
    QCOMPARE(state[QStringLiteral("scoreHome")].toInteger(), 3);

    // ...and the game clock a client runs from that state keeps within a tenth of the board's
    // over 30 s of play
    const QJsonObject game = state[QStringLiteral("gameClock")].toObject();
    QVERIFY(game[QStringLiteral("running")].toBool());
    const qint64 tenths = game[QStringLiteral("tenths")].toInteger();
    const qint64 at = game[QStringLiteral("at")].toInteger();
    double worst = 0;
    for (int step = 0; step < 600; ++step) {
        clock.advanceMs(50);
        QTest::qWait(0);
        const double clientSeconds = double(tenths) / 10.0 - double(clock.nowNs() / 1'000'000 - at) / 1000.0;
        const double boardSeconds = board->teGame().seconds().toDouble();
        worst = std::max(worst, std::abs(clientSeconds - boardSeconds));
    }
    QVERIFY2(worst <= 0.1, qPrintable(QString::number(worst)));
    QVERIFY(board->teGame().seconds() < Currency::fromInt(571));

    startup.reset();
}

QTEST_MAIN(TestFeedGame)
#include "tst_feedgame.moc"
