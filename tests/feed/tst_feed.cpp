#include "feed/livefeed.h"
#include "support/feedtestclient.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <memory>

// The feed as clients meet it: over real sockets, with the server on its own thread as the program
// runs it, and the game replaced by a state the test sets.
class TestFeed : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clockIsTakenAtTheTenthItShows_data();
    void clockIsTakenAtTheTenthItShows();
    void stateServesTheGame_data();
    void stateServesTheGame();
    void networkNeedsTheToken_data();
    void networkNeedsTheToken();
    void socketWithoutTokenIsClosed();
    void badRequestsGetTheirErrorAndAreClosed_data();
    void badRequestsGetTheirErrorAndAreClosed();
    void changesArriveInOrderAtMostTenTimesASecond();
    void sixtyFifthConnectionIsRefused();
    void clientThatDoesNotReadIsDropped();
    void portInUseIsReported();

private:
    void startFeed(bool network = false, const QString& token = {});

    FakeFeedSource m_source;
    FeedLimits m_limits;
    std::unique_ptr<LiveFeed> m_feed;
};

void TestFeed::init() {
    m_source.state = FeedState{};
    m_source.state.title = QStringLiteral("City Cup");
    m_source.state.homeName = QStringLiteral("Ravens");
    m_source.state.visitorName = QStringLiteral("Hawks");
    m_source.state.scoreHome = 57;
    m_source.state.scoreVisitor = -1;
    m_source.state.foulsVisitor = 7;
    m_source.state.period = 3;
    m_source.state.halves = true;
    m_source.state.possession = 2;
    m_source.state.bonusHome = {true, false};
    m_source.state.shotClock = {240, false, 5000};
    m_source.state.shotClockBlank = true;
    m_source.state.timeColor = 33023;
    m_limits = FeedLimits{};
    m_limits.requestTimeoutMs = 300;
    m_limits.maxUnsentBytes = 64 * 1024;
}

void TestFeed::cleanup() {
    m_feed.reset();
}

void TestFeed::startFeed(bool network, const QString& token) {
    m_feed = std::make_unique<LiveFeed>(m_source, m_limits);
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("live feed is on")));
    QVERIFY(m_feed->start(FeedConfig{0, network, token}));
}

void TestFeed::clockIsTakenAtTheTenthItShows_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<bool>("running");
    QTest::addColumn<qint64>("tenths");
    QTest::addColumn<qint64>("atMs");

    // Read at steady time 1000 ms.
    QTest::newRow("running between tenths: back to 12.4") << qint64(123400) << true << 124LL << 940LL;
    QTest::newRow("running on a tenth") << qint64(123000) << true << 123LL << 1000LL;
    QTest::newRow("running just past a tenth") << qint64(122999) << true << 123LL << 1000LL;
    QTest::newRow("stopped between tenths") << qint64(123400) << false << 124LL << 1000LL;
    QTest::newRow("below zero reads as zero") << qint64(-5000) << true << 0LL << 1000LL;
}

void TestFeed::clockIsTakenAtTheTenthItShows() {
    QFETCH(qint64, units);
    QFETCH(bool, running);
    QFETCH(qint64, tenths);
    QFETCH(qint64, atMs);

    const FeedClock clock = feedClock(Currency::fromUnits(units), running, 1'000'000'000);

    QCOMPARE(clock.tenths, tenths);
    QCOMPARE(clock.running, running);
    QCOMPARE(clock.atMs, atMs);
}

void TestFeed::stateServesTheGame_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");

    QTest::newRow("title") << "title" << QJsonValue("City Cup");
    QTest::newRow("home name") << "homeName" << QJsonValue("Ravens");
    QTest::newRow("home score") << "scoreHome" << QJsonValue(57);
    QTest::newRow("cleared visitor score") << "scoreVisitor" << QJsonValue(-1);
    QTest::newRow("visitor fouls") << "foulsVisitor" << QJsonValue(7);
    QTest::newRow("period") << "period" << QJsonValue(3);
    QTest::newRow("halves") << "periodName" << QJsonValue("Half");
    QTest::newRow("possession visitor") << "possession" << QJsonValue(2);
    QTest::newRow("home side's lights") << "bonusHome" << QJsonValue(QJsonArray{true, false});
    QTest::newRow("shot clock") << "shotClock"
                                << QJsonValue(QJsonObject{
                                       {"tenths", 240}, {"running", false}, {"at", 5000}, {"blank", true}});
    QTest::newRow("clock colour") << "colors/time" << QJsonValue("#ff8000");
}

void TestFeed::stateServesTheGame() {
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);
    startFeed();

    const RawReply reply = rawRequest(m_feed->port(), getRequest("/state"));
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.head.contains("Content-Type: application/json"));
    QJsonValue value = QJsonDocument::fromJson(reply.body).object();
    for (const QString& part : key.split(u'/')) {
        value = value.toObject().value(part);
    }
    QCOMPARE(value, expected);
}

void TestFeed::networkNeedsTheToken_data() {
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");

    QTest::newRow("network, no token") << true << "s3cret" << QByteArray("/state") << 403;
    QTest::newRow("network, wrong token") << true << "s3cret" << QByteArray("/state?token=s3creT") << 403;
    QTest::newRow("network, token of another length")
        << true << "s3cret" << QByteArray("/overlay?token=s3") << 403;
    QTest::newRow("network, unknown path without token") << true << "s3cret" << QByteArray("/x") << 403;
    QTest::newRow("network, right token") << true << "s3cret" << QByteArray("/state?token=s3cret") << 200;
    QTest::newRow("network, pages with the token")
        << true << "s3cret" << QByteArray("/board?token=s3cret") << 200;
    QTest::newRow("network with no token set refuses all")
        << true << "" << QByteArray("/state?token=") << 403;
    QTest::newRow("this computer, no token needed") << false << "s3cret" << QByteArray("/overlay") << 200;
}

void TestFeed::networkNeedsTheToken() {
    QFETCH(bool, network);
    QFETCH(QString, token);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    if (network && token.isEmpty()) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no token")));
    }
    startFeed(network, token);

    const RawReply reply = rawRequest(m_feed->port(), getRequest(target));

    QCOMPARE(reply.status, status);
    QVERIFY(reply.closed);
    // A refused request learns nothing of the game.
    QCOMPARE(reply.body.contains("Ravens"), status == 200 && target.startsWith("/state"));
}

void TestFeed::socketWithoutTokenIsClosed() {
    startFeed(true, QStringLiteral("s3cret"));
    FeedSocket wrong(feedUrl(m_feed->port(), QStringLiteral("token=guess")));
    FeedSocket right(feedUrl(m_feed->port(), QStringLiteral("token=s3cret")));

    QTRY_COMPARE(right.messages.size(), 1);
    QTRY_COMPARE(wrong.closeCode, 4403);
    QVERIFY(wrong.messages.isEmpty());
    QCOMPARE(right.messages[0]["type"].toString(), QStringLiteral("snapshot"));
    QCOMPARE(right.messages[0]["state"].toObject()["homeName"].toString(), QStringLiteral("Ravens"));
}

void TestFeed::badRequestsGetTheirErrorAndAreClosed_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");

    // What Qt's parser cannot read at all, it closes without an answer.
    QTest::newRow("not HTTP") << QByteArray("\x16\x03\x01 hello there\r\n\r\n") << 0;
    QTest::newRow("unknown method") << QByteArray("BREW /state HTTP/1.1\r\nHost: x\r\n\r\n") << 405;
    QTest::newRow("huge header") << "GET /state HTTP/1.1\r\nX-Big: " + QByteArray(20000, 'a') + "\r\n\r\n"
                                 << 431;
    QTest::newRow("huge body") << "GET /state HTTP/1.1\r\nContent-Length: 50000\r\n\r\n" +
                                      QByteArray(50000, 'b')
                               << 431;
    QTest::newRow("never finished") << QByteArray("GET /state HTTP/1.1\r\nHost: x\r\n") << 408;
    QTest::newRow("nothing sent") << QByteArray() << 408;
    QTest::newRow("write") << QByteArray("POST /state HTTP/1.1\r\nContent-Length: 2\r\n\r\nhi") << 405;
    QTest::newRow("unknown path") << getRequest("/admin") << 404;
    QTest::newRow("feed without upgrade") << getRequest("/feed") << 426;
}

void TestFeed::badRequestsGetTheirErrorAndAreClosed() {
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    startFeed();

    const RawReply reply = rawRequest(m_feed->port(), request);

    QCOMPARE(reply.status, status);
    QVERIFY(reply.closed);
    // ...and the feed goes on serving.
    QCOMPARE(rawRequest(m_feed->port(), getRequest("/state")).status, 200);
}

void TestFeed::changesArriveInOrderAtMostTenTimesASecond() {
    startFeed();
    FeedSocket client(feedUrl(m_feed->port()));
    QTRY_COMPARE(client.messages.size(), 1);
    // GIVEN thirty changes at once, right after the snapshot
    for (int score = 1; score <= 30; ++score) {
        m_source.state.scoreHome = score;
        m_source.announce(QStringLiteral("scoreHome"), score - 1, score);
    }
    QTRY_COMPARE(client.messages.size(), 2);
    // ...and one more once they are out
    m_source.state.scoreVisitor = 2;
    m_source.announce(QStringLiteral("scoreVisitor"), -1, 2);
    QTRY_COMPARE(client.messages.size(), 3);
    const qint64 firstGap = client.arrivals[1] - client.arrivals[0];
    const qint64 secondGap = client.arrivals[2] - client.arrivals[1];

    // THEN the thirty come together in one message, the last in the next, each no sooner than a
    // tenth of a second after the one before: every change once, in order
    QVERIFY2(firstGap >= 90 && secondGap >= 90,
             qPrintable(QStringLiteral("%1 %2").arg(firstGap).arg(secondGap)));
    QList<qint64> seqs;
    QList<qint64> sizes;
    for (qsizetype i = 1; i < client.messages.size(); ++i) {
        const QJsonArray changes = client.messages[i]["changes"].toArray();
        sizes.append(changes.size());
        for (const QJsonValue& change : changes) {
            seqs.append(change["seq"].toInteger());
        }
    }
    QCOMPARE(sizes, (QList<qint64>{30, 1}));
    QList<qint64> expected;
    for (qint64 seq = 1; seq <= 31; ++seq) {
        expected.append(seq);
    }
    QCOMPARE(seqs, expected);
    QCOMPARE(client.messages[1]["changes"].toArray()[29].toObject()["new"].toInt(), 30);
    QCOMPARE(client.messages[2]["changes"].toArray()[0].toObject()["field"].toString(),
             QStringLiteral("scoreVisitor"));
    QCOMPARE(client.messages[2]["state"].toObject()["scoreHome"].toInt(), 30);
}

void TestFeed::sixtyFifthConnectionIsRefused() {
    startFeed();
    std::vector<std::unique_ptr<FeedSocket>> clients;
    for (int i = 0; i < 64; ++i) {
        clients.push_back(std::make_unique<FeedSocket>(feedUrl(m_feed->port())));
    }
    QTRY_VERIFY(
        std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->messages.size() == 1; }));

    FeedSocket extra(feedUrl(m_feed->port()));
    QCOMPARE(rawRequest(m_feed->port(), getRequest("/state")).status, 503);
    QTRY_VERIFY(extra.socket.state() == QAbstractSocket::UnconnectedState);
    QVERIFY(extra.messages.isEmpty());

    // A place that frees up is taken again.
    clients.pop_back();
    QTRY_COMPARE(rawRequest(m_feed->port(), getRequest("/state")).status, 200);
}

void TestFeed::clientThatDoesNotReadIsDropped() {
    startFeed();
    // A client that shakes hands and then reads nothing more.
    QTcpSocket stalled;
    stalled.setReadBufferSize(4096);
    stalled.connectToHost(QHostAddress::LocalHost, m_feed->port());
    QVERIFY(stalled.waitForConnected());
    stalled.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    stalled.write("GET /feed HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    QTRY_VERIFY(stalled.bytesAvailable() > 0);
    QVERIFY(stalled.peek(12) == "HTTP/1.1 101");
    FeedSocket reader(feedUrl(m_feed->port()));
    QTRY_COMPARE(reader.messages.size(), 1);

    QTRY_COMPARE(m_feed->feedClients(), 2);

    // WHEN the game sends far more than the stalled client takes, a megabyte a message
    m_source.state.title = QString(1 << 20, u'x');
    int sent = 0;
    while (m_feed->feedClients() == 2 && sent < 30) {
        ++sent;
        m_source.announce(QStringLiteral("period"), sent - 1, sent);
        QTRY_COMPARE_WITH_TIMEOUT(reader.messages.size(), sent + 1, 2000);
    }

    // THEN the feed drops it long before that, and the other reads on
    QCOMPARE(m_feed->feedClients(), 1);
    QVERIFY2(sent < 20, qPrintable(QString::number(sent)));
    m_source.announce(QStringLiteral("period"), sent, sent + 1);
    QTRY_COMPARE(reader.messages.size(), sent + 2);
}

void TestFeed::portInUseIsReported() {
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::LocalHost));
    LiveFeed feed(m_source, m_limits);

    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(
                          QStringLiteral("could not start on port %1: .*in use").arg(occupant.serverPort())));
    QVERIFY(!feed.start(FeedConfig{occupant.serverPort(), false, {}}));
    QVERIFY(!feed.isRunning());
}

QTEST_GUILESS_MAIN(TestFeed)
#include "tst_feed.moc"
