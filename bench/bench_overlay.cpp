// Key press on the board to changed pixels in the overlay page, as Debian's headless Chromium shows
// it. The program is started as main() starts it ("bypass", the feed turned on in the store, the game
// record written to a folder of its own); Chromium is driven through its DevTools protocol.
//
//   bench_overlay [presses] [screenshot folder]
//
// With a folder, it then plays a game to a mid-game state and saves feed-overlay.png and
// feed-board.png there. Chromium is "chromium" on the PATH, or $CHROMIUM.
#include "app/startup.h"
#include "benchutil.h"
#include "components/digitpanel.h"
#include "feed/livefeed.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/feedtestclient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

// One DevTools session on a page: a command, then wait for its answer with the event loop running,
// so that the board and the feed go on meanwhile.
class DevTools {
public:
    bool open(const QUrl& url) {
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            if (message[QStringLiteral("id")].toInt() == m_id) {
                m_answer = message;
            } else if (message[QStringLiteral("method")].toString() == u"Page.screencastFrame") {
                const QJsonObject frame = message[QStringLiteral("params")].toObject();
                // Chromium sends the next frame only once this one is acknowledged. Acknowledgements
                // are numbered apart from the commands, whose answers are waited for.
                const QJsonObject ack{
                    {"id", ++m_ackId},
                    {"method", "Page.screencastFrameAck"},
                    {"params", QJsonObject{{"sessionId", frame[QStringLiteral("sessionId")]}}}};
                m_socket.sendTextMessage(
                    QString::fromUtf8(QJsonDocument(ack).toJson(QJsonDocument::Compact)));
                if (onFrame) {
                    onFrame(frame);
                }
            }
        });
        m_socket.open(url);
        if (!QTest::qWaitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 5000)) {
            std::fprintf(stderr, "could not reach Chromium's DevTools at %s: %s\n",
                         qPrintable(url.toString()), qPrintable(m_socket.errorString()));
            return false;
        }
        return true;
    }

    // The command's result; empty when Chromium answered with an error or not within 5 s.
    QJsonObject call(const QString& method, const QJsonObject& params = {}) {
        m_answer = {};
        const QJsonObject command{{"id", ++m_id}, {"method", method}, {"params", params}};
        m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(command).toJson(QJsonDocument::Compact)));
        if (!QTest::qWaitFor([&] { return !m_answer.isEmpty(); }, 5000)) {
            std::fprintf(stderr, "DevTools %s: no answer within 5 s\n", qPrintable(method));
        } else if (m_answer.contains(QStringLiteral("error"))) {
            std::fprintf(stderr, "DevTools %s: %s\n", qPrintable(method),
                         QJsonDocument(m_answer[QStringLiteral("error")].toObject()).toJson().constData());
        }
        return m_answer[QStringLiteral("result")].toObject();
    }

    // The value of a JavaScript expression in the page.
    QJsonValue evaluate(const QString& expression) {
        return call(QStringLiteral("Runtime.evaluate"),
                    {{"expression", expression}, {"returnByValue", true}})[QStringLiteral("result")]
            .toObject()[QStringLiteral("value")];
    }

    QImage screenshot(const QJsonObject& params = {}) {
        QJsonObject png = params;
        png[QStringLiteral("format")] = QStringLiteral("png");
        const QString data =
            call(QStringLiteral("Page.captureScreenshot"), png)[QStringLiteral("data")].toString();
        return QImage::fromData(QByteArray::fromBase64(data.toLatin1()), "PNG");
    }

    // Waits until the page is connected to the feed and shows `homeScore`.
    bool showsScore(int homeScore) {
        const QString shown = QStringLiteral("!document.body.classList.contains('offline') && "
                                             "document.getElementById('scoreHome').textContent === '%1'")
                                  .arg(homeScore);
        return QTest::qWaitFor([&] { return evaluate(shown).toBool(); }, 10000);
    }

    // Each frame of a screencast, as Chromium sends it.
    std::function<void(const QJsonObject& frame)> onFrame;

private:
    QWebSocket m_socket;
    QJsonObject m_answer;
    int m_id = 0;
    int m_ackId = 1'000'000'000;
};

// Headless Chromium on a profile of its own, its DevTools on a port it picks; the first page's session.
class Chromium {
public:
    ~Chromium() {
        // Asked first, so that its helper processes are gone before its profile folder is removed.
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    bool start(const QUrl& page, QSize window) {
        const QString program = qEnvironmentVariable("CHROMIUM", QStringLiteral("chromium"));
        m_process.start(
            program,
            {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
             QStringLiteral("--hide-scrollbars"), QStringLiteral("--no-first-run"),
             QStringLiteral("--disable-background-timer-throttling"),
             QStringLiteral("--disable-renderer-backgrounding"),
             QStringLiteral("--disable-backgrounding-occluded-windows"),
             QStringLiteral("--remote-debugging-port=0"), QStringLiteral("--remote-allow-origins=*"),
             QStringLiteral("--window-size=%1,%2").arg(window.width()).arg(window.height()),
             QStringLiteral("--user-data-dir=") + m_profile.path(), page.toString()});
        if (!m_process.waitForStarted(10000)) {
            std::fprintf(stderr, "could not start %s\n", qPrintable(program));
            return false;
        }
        // It says where its DevTools listen on its standard error.
        const QRegularExpression listening(QStringLiteral("DevTools listening on ws://[^:]+:(\\d+)/"));
        QByteArray said;
        quint16 port = 0;
        const bool heard = QTest::qWaitFor(
            [&] {
                said += m_process.readAllStandardError();
                const auto match = listening.match(QString::fromLocal8Bit(said));
                port = match.hasMatch() ? quint16(match.captured(1).toUInt()) : 0;
                return port != 0;
            },
            15000);
        if (!heard) {
            std::fprintf(stderr, "Chromium's DevTools did not start:\n%s\n", said.constData());
            return false;
        }
        // The page addresses it lists are made from the Host header, so it names the port.
        const RawReply list =
            rawRequest(port, "GET /json/list HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                                 "\r\nConnection: close\r\n\r\n");
        for (const QJsonValue& target : QJsonDocument::fromJson(list.body).array()) {
            if (target[QStringLiteral("type")].toString() == u"page") {
                return tools.open(QUrl(target[QStringLiteral("webSocketDebuggerUrl")].toString()));
            }
        }
        std::fprintf(stderr, "Chromium has no page to drive\n");
        return false;
    }

    DevTools tools;

private:
    QTemporaryDir m_profile;
    QProcess m_process;
};

// The page's size in CSS pixels, one to a screenshot pixel. Not the window's: headless Chromium keeps
// room in it for a browser's own bars.
void setViewport(DevTools& tools, QSize size) {
    tools.call(
        QStringLiteral("Emulation.setDeviceMetricsOverride"),
        {{"width", size.width()}, {"height", size.height()}, {"deviceScaleFactor", 1}, {"mobile", false}});
}

// A streaming program's browser source draws every frame; headless Chromium draws only what changed,
// and a capture of a page at rest waits seconds for a frame. A pixel in the bottom row, changed every
// frame, keeps it drawing; the saved screenshots leave that row out.
void keepDrawing(DevTools& tools) {
    tools.evaluate(QStringLiteral(
        "(() => { const dot = document.createElement('div');"
        " dot.style.cssText = 'position:fixed;right:0;bottom:0;width:1px;height:1px;background:#fff';"
        " document.body.appendChild(dot); let n = 0;"
        " const tick = () => { dot.style.opacity = ++n % 2 ? '0.5' : '0.6'; requestAnimationFrame(tick); };"
        " tick(); })()"));
}

// The page as shown, but for its bottom row.
bool saveShown(DevTools& tools, const QString& file) {
    const QImage shown = tools.screenshot();
    return !shown.isNull() && shown.copy(0, 0, shown.width(), shown.height() - 1).save(file);
}

void writeSetting(SettingsStore& store, const char* section, const char* key, const QString& value) {
    store.write(QStringLiteral("Ravenmark"), QLatin1String(section), QLatin1String(key), value);
}

void press(frmScoreBoard& board, Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(board.windowHandle(), key);
    }
}

// A game in its third period: scores, fouls with one side in the bonus, a timeout each, possession
// and both clocks stopped part-way.
void playToMidGame(frmScoreBoard& board) {
    press(board, Qt::Key_PageUp, 9); // home threes
    press(board, Qt::Key_End, 22);   // visitor twos
    press(board, Qt::Key_F11, 4);    // home fouls
    press(board, Qt::Key_F12, 7);    // visitor fouls
    press(board, Qt::Key_F7);        // timeouts
    press(board, Qt::Key_F8);
    press(board, Qt::Key_P, 2); // the period
    press(board, Qt::Key_Left); // home's ball
    press(board, Qt::Key_T);    // a fresh shot clock
    press(board, Qt::Key_S);    // both clocks run for a while
    runFor(6300);
    press(board, Qt::Key_S);
}

// The same presses against Chromium's frames as it draws them: a screencast sends each frame once
// drawn, so this figure is not rounded up to a whole capture, only to a frame's encoding and sending.
// (The frames' own stamps are not used: they run ahead of this computer's clock.)
void screencast(frmScoreBoard& board, DevTools& tools, const QRect& score, int presses) {
    struct Frame {
        double arrivedMs;
        QImage score;
    };
    std::vector<Frame> frames;
    tools.onFrame = [&](const QJsonObject& frame) {
        const QImage image = QImage::fromData(
            QByteArray::fromBase64(frame[QStringLiteral("data")].toString().toLatin1()), "PNG");
        frames.push_back({nowMs(), image.copy(score)});
    };
    tools.call(QStringLiteral("Page.startScreencast"), {{"format", "png"}});
    std::vector<double> latencies;
    for (int i = 0; i < presses; ++i) {
        frames.clear();
        if (!QTest::qWaitFor([&] { return frames.size() >= 3; }, 3000)) {
            continue;
        }
        const QImage before = frames.back().score;
        const double pressedMs = nowMs();
        press(board, Qt::Key_Insert);
        const auto shown = [&] {
            const auto it = std::find_if(frames.begin(), frames.end(), [&](const Frame& f) {
                return f.arrivedMs > pressedMs && f.score != before;
            });
            return it == frames.end() ? -1.0 : it->arrivedMs - pressedMs;
        };
        if (QTest::qWaitFor([&] { return shown() >= 0; }, 3000)) {
            latencies.push_back(shown());
        }
        runFor(250);
    }
    tools.call(QStringLiteral("Page.stopScreencast"));
    tools.onFrame = nullptr;
    printPercentiles("key press -> screencast frame with the changed overlay", latencies, "ms");
}

// The board's game, a key press at a time, against the overlay's home score in Chromium.
int measure(frmScoreBoard& board, DevTools& tools, int presses) {
    const QJsonObject box =
        QJsonDocument::fromJson(
            tools
                .evaluate(QStringLiteral("JSON.stringify(document.getElementById('scoreHome')"
                                         ".getBoundingClientRect())"))
                .toString()
                .toUtf8())
            .object();
    // Only the score: the clocks in the bug run by themselves. Cut out here: a clip in the capture
    // itself makes Chromium resize its view for each one.
    const QRect score =
        QRectF(box[QStringLiteral("x")].toDouble(), box[QStringLiteral("y")].toDouble(),
               box[QStringLiteral("width")].toDouble(), box[QStringLiteral("height")].toDouble())
            .toAlignedRect();
    std::vector<double> latencies;
    std::vector<double> captures;
    int missed = 0;
    for (int i = 0; i < presses; ++i) {
        const QImage before = tools.screenshot().copy(score);
        if (before.isNull()) {
            ++missed;
            continue;
        }
        QElapsedTimer sincePress;
        sincePress.start();
        press(board, Qt::Key_Insert);
        bool changed = false;
        while (!changed && sincePress.elapsed() < 3000) {
            const qint64 begun = sincePress.nsecsElapsed();
            const QImage now = tools.screenshot().copy(score);
            captures.push_back(double(sincePress.nsecsElapsed() - begun) / 1e6);
            changed = !now.isNull() && now != before;
        }
        if (changed) {
            latencies.push_back(double(sincePress.nsecsElapsed()) / 1e6);
        } else {
            ++missed;
        }
        // Past the feed's tenth of a second between messages, so that each press starts afresh.
        runFor(250);
    }
    printPercentiles("key press -> changed pixels in Chromium's overlay", latencies, "ms");
    printPercentiles("one screenshot of the overlay's score (the figure above is rounded up to one)",
                     captures, "ms");
    if (missed > 0) {
        std::printf("%d of %d presses not measured (no capture, or not shown within 3 s)\n", missed, presses);
    }
    screencast(board, tools, score, presses);
    return missed == 0 && !latencies.empty() ? 0 : 1;
}

int saveScreenshots(frmScoreBoard& board, DevTools& tools, quint16 port, const QString& folder) {
    playToMidGame(board);
    const int home = board.findChild<DigitPanel*>(QStringLiteral("digHome"))->caption();
    if (!tools.showsScore(home)) {
        return 1;
    }
    runFor(500);
    const bool overlay = saveShown(tools, folder + QStringLiteral("/feed-overlay.png"));
    setViewport(tools, QSize(1280, 721));
    tools.call(QStringLiteral("Page.navigate"),
               {{"url", QStringLiteral("http://127.0.0.1:%1/board").arg(port)}});
    if (!tools.showsScore(home)) {
        return 1;
    }
    keepDrawing(tools);
    runFor(500);
    const bool whole = saveShown(tools, folder + QStringLiteral("/feed-board.png"));
    std::printf("screenshots in %s: overlay %s, board %s\n", qPrintable(folder),
                overlay ? "saved" : "NOT saved", whole ? "saved" : "NOT saved");
    return overlay && whole ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int presses = argc > 1 ? std::atoi(argv[1]) : 20;
    const QString shots = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();

    QTemporaryDir data;
    const quint16 port = freeFeedPort();
    auto store = std::make_unique<MemorySettingsStore>();
    writeSetting(*store, "FeedSettings", "Enabled", QStringLiteral("Yes"));
    writeSetting(*store, "FeedSettings", "Port", QString::number(port));
    writeSetting(*store, "TextSettings", "TitleText", QStringLiteral("City League"));
    writeSetting(*store, "TextSettings", "HomeText", QStringLiteral("Ravens"));
    writeSetting(*store, "TextSettings", "VisitorText", QStringLiteral("Harbor"));
    writeSetting(*store, "RuleSettings", "TimeoutsPerGame", QStringLiteral("5"));
    setSettingsStore(std::move(store));
    Startup startup({QStringLiteral("bypass")});
    startup.sessionEnvironment = [&data] {
        GameSessionEnvironment env;
        env.record.path = data.filePath(QStringLiteral("games.sqlite"));
        return env;
    };
    startup.start();
    frmScoreBoard* board = startup.board();
    if (board == nullptr || startup.feed() == nullptr || !startup.feed()->isRunning() ||
        !QTest::qWaitForWindowExposed(board)) {
        std::printf("the board with its feed did not start\n");
        return 1;
    }

    Chromium chromium;
    if (!chromium.start(QUrl(QStringLiteral("http://127.0.0.1:%1/overlay").arg(port)), QSize(1280, 900))) {
        return 1;
    }
    DevTools& tools = chromium.tools;
    // The bug is 104 pixels high from its top left at 24,24; its width follows the names. One row more
    // for the pixel that keeps Chromium drawing.
    setViewport(tools, QSize(900, 111));
    tools.call(QStringLiteral("Emulation.setDefaultBackgroundColorOverride"),
               {{"color", QJsonObject{{"r", 0}, {"g", 0}, {"b", 0}, {"a", 0}}}});
    if (!tools.showsScore(0)) {
        std::printf("the overlay did not connect to the feed\n");
        return 1;
    }
    keepDrawing(tools);
    runFor(1000);

    int status = measure(*board, tools, presses);
    if (!shots.isEmpty()) {
        status |= saveScreenshots(*board, tools, port, shots);
    }
    return status;
}
