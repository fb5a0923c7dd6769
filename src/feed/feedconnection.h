#pragma once

#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

// What the feed allows each connection; tests make them small.
struct FeedLimits {
    int maxConnections = 64;
    // A request (line, headers and any body) larger than this is refused with 431.
    qint64 maxRequestBytes = 16 * 1024;
    // A request not complete by then is refused with 408 (a client sending byte by byte).
    int requestTimeoutMs = 10'000;
    // A WebSocket client this far behind in reading is dropped rather than buffered for.
    qint64 maxUnsentBytes = 256 * 1024;
    // At most one message per client in this time (10 a second).
    int messageIntervalMs = 100;
    // A WebSocket client that has not answered a ping within this time is dropped.
    int pingIntervalMs = 30'000;
};

// One TCP connection as the feed accepts it. Qt's HTTP server parses what arrives (and closes the
// connection on what it cannot parse); this keeps the bounds: the size and duration of a request.
class FeedConnection : public QTcpSocket {
public:
    FeedConnection(const FeedLimits& limits, std::shared_ptr<int> openCount, QObject* parent);
    ~FeedConnection() override;

    // The request was answered, or the connection became a WebSocket: no deadline any more.
    void settle();
    // Answers with an error status and closes, reading and dropping whatever still comes.
    void refuse(int status);

private:
    void received();

    const FeedLimits& m_limits;
    std::shared_ptr<int> m_openCount;
    QTimer m_deadline;
    qint64 m_received = 0;
    bool m_settled = false;
    bool m_refused = false;
};

// Accepts connections up to the limit; one more gets 503 and is closed.
class FeedListener : public QTcpServer {
public:
    explicit FeedListener(const FeedLimits& limits, QObject* parent = nullptr);

    // The connection from this peer became a WebSocket: it is no longer a request with a deadline.
    void settle(const QHostAddress& peer, quint16 peerPort);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    const FeedLimits& m_limits;
    std::shared_ptr<int> m_open = std::make_shared<int>(0);
    std::shared_ptr<int> m_refusing = std::make_shared<int>(0);
    QList<QPointer<FeedConnection>> m_connections;
};
