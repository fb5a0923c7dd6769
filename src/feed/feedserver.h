#pragma once

#include "components/monotonicclock.h"
#include "feed/feedconnection.h"
#include "feed/feedstate.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <vector>

class FeedHttpServer;
class QHttpServerRequest;
class QHttpServerResponder;
class QWebSocket;

// Where and for whom the feed listens.
struct FeedConfig {
    quint16 port = 8080;
    // The local network (every request then needs the token), or this computer only.
    bool network = false;
    QString token;

    bool operator==(const FeedConfig&) const = default;
};

// The feed's server: GET /state, /overlay and /board, and the WebSocket /feed, which sends the
// state on connect and then the changes, at most one message per client in each interval. It
// answers only what it was last given (publish); nothing it receives reaches the game. It lives on
// the feed's own thread, or in tests on theirs.
class FeedServer : public QObject {
    Q_OBJECT

public:
    explicit FeedServer(const FeedLimits& limits = {}, const MonotonicClock& clock = MonotonicClock::system(),
                        QObject* parent = nullptr);
    ~FeedServer() override;

    // Listens on 127.0.0.1, or on every address for the network; false when it cannot (port in
    // use), with the reason in errorString().
    bool listen(const FeedConfig& config);
    void close();
    bool isListening() const;
    quint16 port() const;
    QString errorString() const { return m_error; }

    void setToken(const QString& token) { m_config.token = token; }
    // The new state and the changes that led to it.
    void publish(const FeedUpdate& update);

    int feedClients() const;

private:
    struct Client;

    void answer(const QHttpServerRequest& request, QHttpServerResponder& responder);
    bool authorized(const QUrl& url) const;
    void acceptWebSockets();
    void schedule(Client& client);
    void flush(Client& client);
    void drop(Client& client);
    void ping();
    QJsonObject stateNow() const;
    std::int64_t nowMs() const;

    FeedLimits m_limits;
    const MonotonicClock& m_clock;
    FeedConfig m_config;
    QString m_error;
    FeedHttpServer* m_http = nullptr;
    FeedListener* m_listener = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
    // WebSockets being closed for a wrong path or token.
    QList<QPointer<QWebSocket>> m_refused;
    // A child, so that it moves to the feed's thread with the server.
    QTimer m_pingTimer;
    FeedState m_state;
    std::int64_t m_seq = 0;
    QByteArray m_overlayPage;
    QByteArray m_boardPage;
};
