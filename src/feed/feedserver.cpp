#include "feed/feedserver.h"

#include "feed/feedlog.h"

#include <QAbstractHttpServer>
#include <QDateTime>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QPointer>
#include <QWebSocket>
#include <algorithm>
#include <functional>

using Status = QHttpServerResponder::StatusCode;

// Qt's HTTP server with every request handed to one function, which answers it.
class FeedHttpServer : public QAbstractHttpServer {
public:
    using Handler = std::function<void(const QHttpServerRequest&, QHttpServerResponder&)>;

    FeedHttpServer(Handler handler, QObject* parent)
        : QAbstractHttpServer(parent), m_handler(std::move(handler)) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        // Qt 6.4 shows a WebSocket handshake here too before it takes the connection over.
        if (request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (auto* connection = dynamic_cast<FeedConnection*>(socket)) {
            connection->settle();
        }
        QHttpServerResponder responder = makeResponder(request, socket);
        m_handler(request, responder);
        // One request per connection: it keeps the bounds of each connection simple, and the
        // pages ask for little more than themselves.
        socket->disconnectFromHost();
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    Handler m_handler;
};

struct FeedServer::Client {
    ~Client() {
        if (socket) {
            socket->disconnect();
            // It may be in the middle of emitting a signal.
            socket.release()->deleteLater();
        }
    }

    std::unique_ptr<QWebSocket> socket;
    QTimer flushTimer;
    QJsonArray pending;
    bool due = false;
    bool awaitingPong = false;
    bool dead = false;
    std::int64_t lastSentMs = std::numeric_limits<std::int64_t>::min() / 2;
};

namespace {

// WebSocket close codes in the range kept for applications, after the HTTP statuses they stand for.
constexpr auto CloseForbidden = QWebSocketProtocol::CloseCode(4403);
constexpr auto CloseNotFound = QWebSocketProtocol::CloseCode(4404);
// Clients send nothing the feed needs; anything larger than this is cut short.
constexpr qint64 MaxIncomingMessage = 1024;

QByteArray resource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// The page with the shared script put inline, so that it is one request and carries no second
// place for the token.
QByteArray page(const QString& path, const QByteArray& script) {
    QByteArray html = resource(path);
    html.replace(QByteArrayLiteral("<script src=\"feed.js\"></script>"), "<script>\n" + script + "</script>");
    return html;
}

bool sameText(const QString& a, const QString& b) {
    // Takes as long for a near miss as for a far one.
    if (a.size() != b.size()) {
        return false;
    }
    char16_t differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        differ |= a[i].unicode() ^ b[i].unicode();
    }
    return differ == 0;
}

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

FeedServer::FeedServer(const FeedLimits& limits, const MonotonicClock& clock, QObject* parent)
    : QObject(parent), m_limits(limits), m_clock(clock), m_pingTimer(this) {
    m_http = new FeedHttpServer([this](const QHttpServerRequest& request,
                                       QHttpServerResponder& responder) { answer(request, responder); },
                                this);
    connect(m_http, &QAbstractHttpServer::newWebSocketConnection, this, &FeedServer::acceptWebSockets);
    connect(&m_pingTimer, &QTimer::timeout, this, &FeedServer::ping);
    const QByteArray script = resource(QStringLiteral(":/feed/feed.js"));
    m_overlayPage = page(QStringLiteral(":/feed/overlay.html"), script);
    m_boardPage = page(QStringLiteral(":/feed/board.html"), script);
}

FeedServer::~FeedServer() {
    close();
}

bool FeedServer::listen(const FeedConfig& config) {
    close();
    m_config = config;
    auto* listener = new FeedListener(m_limits, this);
    const QHostAddress address =
        config.network ? QHostAddress(QHostAddress::Any) : QHostAddress(QHostAddress::LocalHost);
    if (!listener->listen(address, config.port)) {
        m_error = listener->errorString();
        delete listener;
        return false;
    }
    m_error.clear();
    m_listener = listener;
    m_http->bind(listener);
    m_pingTimer.start(m_limits.pingIntervalMs);
    return true;
}

void FeedServer::close() {
    m_pingTimer.stop();
    // Before the listener: its connections are the sockets under these.
    for (const auto& client : m_clients) {
        client->socket->disconnect();
        client->socket.reset();
    }
    m_clients.clear();
    for (const QPointer<QWebSocket>& socket : std::as_const(m_refused)) {
        delete socket;
    }
    m_refused.clear();
    delete m_listener;
    m_listener = nullptr;
}

bool FeedServer::isListening() const {
    return m_listener != nullptr;
}

quint16 FeedServer::port() const {
    return m_listener != nullptr ? m_listener->serverPort() : 0;
}

int FeedServer::feedClients() const {
    return int(std::count_if(m_clients.begin(), m_clients.end(), [](const auto& c) { return !c->dead; }));
}

std::int64_t FeedServer::nowMs() const {
    return m_clock.nowNs() / 1'000'000;
}

QJsonObject FeedServer::stateNow() const {
    const QDateTime wall = QDateTime::currentDateTime();
    return feedjson::state(m_state, m_seq, nowMs(), wall.toMSecsSinceEpoch(), wall.offsetFromUtc());
}

bool FeedServer::authorized(const QUrl& url) const {
    if (!m_config.network) {
        return true;
    }
    // No token set means nobody gets in, rather than everybody.
    const QString given = QUrlQuery(url).queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded);
    return !m_config.token.isEmpty() && sameText(given, m_config.token);
}

void FeedServer::answer(const QHttpServerRequest& request, QHttpServerResponder& responder) {
    const auto reply = [&responder](const QByteArray& body, const QByteArray& type, Status status) {
        responder.write(body,
                        {{"Content-Type", type},
                         {"Cache-Control", "no-store"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"Connection", "close"}},
                        status);
    };
    const QByteArray text = "text/plain; charset=utf-8";
    if (!authorized(request.url())) {
        reply("403 Forbidden\n", text, Status::Forbidden);
        return;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        reply("405 Method Not Allowed\n", text, Status::MethodNotAllowed);
        return;
    }
    const QString path = request.url().path();
    if (path == u"/state") {
        reply(compact(stateNow()), "application/json", Status::Ok);
    } else if (path == u"/overlay") {
        reply(m_overlayPage, "text/html; charset=utf-8", Status::Ok);
    } else if (path == u"/board") {
        reply(m_boardPage, "text/html; charset=utf-8", Status::Ok);
    } else if (path == u"/feed") {
        reply("426 Upgrade Required: /feed is a WebSocket\n", text, Status::UpgradeRequired);
    } else {
        reply("404 Not Found\n", text, Status::NotFound);
    }
}

void FeedServer::acceptWebSockets() {
    while (m_http->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = m_http->nextPendingWebSocketConnection();
        if (!socket) {
            break;
        }
        if (m_listener != nullptr) {
            m_listener->settle(socket->peerAddress(), socket->peerPort());
        }
        socket->setMaxAllowedIncomingMessageSize(MaxIncomingMessage);
        socket->setMaxAllowedIncomingFrameSize(MaxIncomingMessage);
        const QUrl url = socket->requestUrl();
        const bool allowed = authorized(url);
        if (!allowed || url.path() != u"/feed") {
            QWebSocket* refused = socket.release();
            m_refused.removeAll(nullptr);
            m_refused.append(refused);
            connect(refused, &QWebSocket::disconnected, refused, &QObject::deleteLater);
            QTimer::singleShot(1000, refused, [refused] { refused->abort(); });
            refused->close(allowed ? CloseNotFound : CloseForbidden,
                           allowed ? QStringLiteral("not found") : QStringLiteral("forbidden"));
            continue;
        }

        auto client = std::make_unique<Client>();
        Client* c = client.get();
        c->socket = std::move(socket);
        c->flushTimer.setSingleShot(true);
        connect(&c->flushTimer, &QTimer::timeout, this, [this, c] { flush(*c); });
        connect(c->socket.get(), &QWebSocket::disconnected, this, [this, c] { drop(*c); });
        connect(c->socket.get(), &QWebSocket::pong, this, [c] { c->awaitingPong = false; });
        m_clients.push_back(std::move(client));

        c->socket->sendTextMessage(QString::fromUtf8(compact(
            {{QStringLiteral("type"), QStringLiteral("snapshot")}, {QStringLiteral("state"), stateNow()}})));
        c->lastSentMs = nowMs();
    }
}

void FeedServer::publish(const FeedUpdate& update) {
    m_state = update.state;
    m_seq = update.seq;
    QJsonArray changes;
    for (const FeedChange& change : update.changes) {
        changes.append(feedjson::change(change));
    }
    // Clients may be dropped on the way; they leave the list only afterwards.
    const std::size_t count = m_clients.size();
    for (std::size_t i = 0; i < count; ++i) {
        Client& client = *m_clients[i];
        if (client.dead) {
            continue;
        }
        for (const QJsonValue& change : changes) {
            client.pending.append(change);
        }
        client.due = true;
        schedule(client);
    }
}

void FeedServer::schedule(Client& client) {
    if (client.flushTimer.isActive()) {
        return;
    }
    const std::int64_t wait = client.lastSentMs + m_limits.messageIntervalMs - nowMs();
    if (wait <= 0) {
        flush(client);
    } else {
        client.flushTimer.start(int(wait));
    }
}

void FeedServer::flush(Client& client) {
    if (client.dead || !client.due) {
        return;
    }
    // A client that has not taken what it was sent is not sent more.
    if (client.socket->bytesToWrite() > m_limits.maxUnsentBytes) {
        drop(client);
        return;
    }
    const QJsonObject message{{QStringLiteral("type"), QStringLiteral("update")},
                              {QStringLiteral("changes"), client.pending},
                              {QStringLiteral("state"), stateNow()}};
    client.socket->sendTextMessage(QString::fromUtf8(compact(message)));
    client.pending = QJsonArray();
    client.due = false;
    client.lastSentMs = nowMs();
}

void FeedServer::drop(Client& client) {
    if (client.dead) {
        return;
    }
    client.dead = true;
    client.flushTimer.stop();
    client.socket->abort();
    // Not here: the client may be in the middle of a signal or of a loop over the list.
    QTimer::singleShot(0, this, [this] {
        std::erase_if(m_clients, [](const std::unique_ptr<Client>& c) { return c->dead; });
    });
}

void FeedServer::ping() {
    for (const auto& client : m_clients) {
        if (client->dead) {
            continue;
        }
        if (client->awaitingPong) {
            drop(*client);
        } else {
            client->awaitingPong = true;
            client->socket->ping();
        }
    }
}
