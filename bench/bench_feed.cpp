// What the live feed costs the board. Run offscreen.
//
//   bench_feed cpu [seconds]     the board's CPU with both clocks running: feed off, then on with 20
//                                WebSocket clients (another process)
//   bench_feed abuse [rounds]    key-to-paint and CPU with the feed off, then on under abuse from another
//                                process: 64 clients and a 65th, a client that does not read, 10,000
//                                malformed requests and requests without the token
#include "benchutil.h"
#include "components/digitpanel.h"
#include "feed/gamefeedsource.h"
#include "feed/livefeed.h"
#include "game/game.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>
#include <QWindow>
#include <memory>

namespace {

const QString Token = QStringLiteral("benchtoken");

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QUrl socketUrl(quint16 port) {
    return QUrl(QStringLiteral("ws://127.0.0.1:%1/feed?token=%2").arg(port).arg(Token));
}

// ---- The other process ----

int clients(quint16 port, int count) {
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        sockets.push_back(std::make_unique<QWebSocket>());
        sockets.back()->open(socketUrl(port));
    }
    return QCoreApplication::exec();
}

int abuse(quint16 port) {
    // A client that shakes hands and reads nothing more.
    QTcpSocket stalled;
    stalled.setReadBufferSize(1024);
    stalled.connectToHost(QHostAddress::LocalHost, port);
    stalled.waitForConnected();
    stalled.write("GET /feed?token=" + Token.toLatin1() +
                  " HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    runFor(500);
    // Malformed and unauthorised requests, a few at a time, on the places left.
    const QByteArray requests[] = {"\x16\x03\x01 not http\r\n\r\n", "BREW /state HTTP/1.1\r\n\r\n",
                                   "GET /state HTTP/1.1\r\nX: " + QByteArray(20000, 'a') + "\r\n\r\n",
                                   "GET /state HTTP/1.1\r\nHost: x\r\n\r\n"};
    int sent = 0;
    while (sent < 10000) {
        std::vector<std::unique_ptr<QTcpSocket>> batch;
        for (int i = 0; i < 20 && sent < 10000; ++i, ++sent) {
            auto socket = std::make_unique<QTcpSocket>();
            socket->connectToHost(QHostAddress::LocalHost, port);
            socket->write(requests[sent % 4]);
            batch.push_back(std::move(socket));
        }
        for (auto& socket : batch) {
            socket->waitForDisconnected(3000);
        }
    }
    // Then every place taken, and one more.
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    for (int i = 0; i < 64; ++i) {
        sockets.push_back(std::make_unique<QWebSocket>());
        sockets.back()->open(socketUrl(port));
    }
    runFor(3000);
    const auto open = std::count_if(sockets.begin(), sockets.end(), [](const auto& socket) {
        return socket->state() == QAbstractSocket::ConnectedState;
    });
    std::printf("abuse: 10000 malformed or unauthorised requests, then %ld of 64 clients connected\n",
                long(open));
    std::fflush(stdout);
    return 0;
}

// ---- The board's process ----

// The board and the feed of its game, as the program joins them.
struct Board {
    frmScoreBoard board;
    GameFeedSource source;
    LiveFeed feed;

    Board() : source(board.game(), false), feed(source) {
        board.resize(1920, 1080);
        board.show();
        if (!QTest::qWaitForWindowExposed(&board)) {
            std::printf("the board did not show\n");
        }
    }
};

// CPU time of the calling thread (the board's), in seconds.
double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The share of one core used by the board's thread and by the whole process over `seconds`.
std::pair<double, double> cpuShares(double seconds) {
    runFor(500);
    const double thread = threadCpuSeconds();
    const double process = cpuSeconds();
    const double wall = nowMs();
    runFor(seconds * 1000.0);
    const double elapsed = (nowMs() - wall) / 1000.0;
    return {(threadCpuSeconds() - thread) / elapsed, (cpuSeconds() - process) / elapsed};
}

std::unique_ptr<QProcess> other(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->start(QCoreApplication::applicationFilePath(), arguments);
    process->waitForStarted();
    return process;
}

double keyToPaintMedian(frmScoreBoard& board, int presses) {
    auto* home = board.findChild<DigitPanel*>(QStringLiteral("digHome"));
    std::vector<double> samples;
    for (int i = 0; i < presses; ++i) {
        // Through the game, which the read-out only shows: a score at its top takes no more presses.
        if (home->caption() >= 190) {
            board.game().setValue(GameField::ScoreHome, 0, GameCause::NewGame);
            QCoreApplication::processEvents();
        }
        const int before = home->caption();
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
        QCoreApplication::sendEvent(board.windowHandle(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Insert, Qt::NoModifier);
        QCoreApplication::sendEvent(board.windowHandle(), &release);
        home->repaint();
        if (home->caption() != before) {
            samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        runFor(5);
    }
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? -1 : samples[samples.size() / 2];
}

int cpu(int seconds) {
    Board b;
    b.board.StartStopClock();
    b.board.ResetShotClock();
    const auto off = cpuShares(seconds);
    const quint16 port = freePort();
    b.feed.start(FeedConfig{port, true, Token});
    auto process = other({QStringLiteral("clients"), QString::number(port), QStringLiteral("20")});
    runFor(1000);
    const int connected = b.feed.feedClients();
    const auto on = cpuShares(seconds);
    std::printf(
        "CPU while both clocks run (1920x1080), %% of one core, board's thread / whole process: feed off "
        "%.3f / %.3f, feed on with %d clients %.3f / %.3f\n",
        off.first * 100.0, off.second * 100.0, connected, on.first * 100.0, on.second * 100.0);
    process->kill();
    process->waitForFinished();
    return 0;
}

// Key presses (20 at a time, then 200 ms of the event loop) for `rounds` rounds: the median key to
// paint, and the CPU shares of the board's thread and of the whole process meanwhile.
struct Round {
    double keyMs;
    double threadShare;
    double processShare;
};
Round pressing(frmScoreBoard& board, int rounds) {
    std::vector<double> keys;
    const double thread = threadCpuSeconds();
    const double whole = cpuSeconds();
    const double wall = nowMs();
    for (int i = 0; i < rounds; ++i) {
        keys.push_back(keyToPaintMedian(board, 20));
        runFor(200);
    }
    const double elapsed = (nowMs() - wall) / 1000.0;
    std::sort(keys.begin(), keys.end());
    return {keys[keys.size() / 2], (threadCpuSeconds() - thread) / elapsed, (cpuSeconds() - whole) / elapsed};
}

int abuseRun(int rounds) {
    Board b;
    b.board.StartStopClock();
    b.board.ResetShotClock();
    const Round off = pressing(b.board, rounds);
    const quint16 port = freePort();
    b.feed.start(FeedConfig{port, true, Token});
    auto process = other({QStringLiteral("abuser"), QString::number(port)});
    runFor(500);
    const Round on = pressing(b.board, rounds);
    std::printf("key to paint, median of %d rounds of 20: feed off %.3f ms, feed on under abuse %.3f ms\n",
                rounds, off.keyMs, on.keyMs);
    std::printf(
        "CPU with both clocks running and the same keys, %% of one core, board's thread / whole process: "
        "feed off %.3f / %.3f, feed on under abuse %.3f / %.3f\n",
        off.threadShare * 100.0, off.processShare * 100.0, on.threadShare * 100.0, on.processShare * 100.0);
    process->waitForFinished(-1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("cpu");
    if (what == QLatin1String("clients") && argc > 3) {
        return clients(quint16(std::atoi(argv[2])), std::atoi(argv[3]));
    }
    if (what == QLatin1String("abuser") && argc > 2) {
        return abuse(quint16(std::atoi(argv[2])));
    }
    LoadSettings(MemorySettingsStore(), Settings, QApplication::applicationDirPath());
    if (what == QLatin1String("abuse")) {
        return abuseRun(argc > 2 ? std::atoi(argv[2]) : 150);
    }
    return cpu(argc > 2 ? std::atoi(argv[2]) : 10);
}
