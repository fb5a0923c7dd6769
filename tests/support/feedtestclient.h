#pragma once

#include "feed/feedsource.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <algorithm>

// A stand-in for the game: a state the test sets, and changes it announces as the game would.
class FakeFeedSource : public FeedSource {
public:
    FeedState state;

    FeedState snapshot() const override { return state; }
    void announce(const QString& field, std::int64_t oldValue, std::int64_t newValue) {
        emit changed(FeedChange{field, oldValue, newValue, QStringLiteral("quickKey")});
    }
};

// An HTTP answer as it came over the wire.
struct RawReply {
    int status = 0;
    QByteArray head;
    QByteArray body;
    // The server closed the connection after answering.
    bool closed = false;
};

// Sends `bytes` exactly as given to the feed on 127.0.0.1 and reads until the server closes. The
// server must run on another thread (LiveFeed's own): this blocks.
inline RawReply rawRequest(quint16 port, const QByteArray& bytes, int timeoutMs = 5000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    RawReply reply;
    if (!socket.waitForConnected(timeoutMs)) {
        return reply;
    }
    socket.write(bytes);
    QByteArray all;
    const QDeadlineTimer deadline(timeoutMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        if (socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())))) {
            all += socket.readAll();
        }
    }
    all += socket.readAll();
    reply.closed = socket.state() != QAbstractSocket::ConnectedState;
    const qsizetype split = all.indexOf("\r\n\r\n");
    reply.head = all.left(split);
    reply.body = split < 0 ? QByteArray() : all.mid(split + 4);
    if (all.startsWith("HTTP/1.1 ")) {
        reply.status = all.mid(9, 3).toInt();
    }
    return reply;
}

inline QByteArray getRequest(const QByteArray& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

// A WebSocket client of the feed that keeps every message it receives, parsed.
class FeedSocket : public QObject {
public:
    QWebSocket socket;
    QList<QJsonObject> messages;
    // When each message arrived, in ms since the client was made: taken on arrival, not when a
    // test's polling notices it, so that the gaps are the sender's.
    QList<qint64> arrivals;
    int closeCode = -1;

    explicit FeedSocket(const QUrl& url) {
        m_since.start();
        connect(&socket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
            arrivals.append(m_since.elapsed());
            messages.append(QJsonDocument::fromJson(text.toUtf8()).object());
        });
        connect(&socket, &QWebSocket::disconnected, this, [this] { closeCode = socket.closeCode(); });
        socket.open(url);
    }
    bool isOpen() const { return socket.state() == QAbstractSocket::ConnectedState; }

private:
    QElapsedTimer m_since;
};

inline QUrl feedUrl(quint16 port, const QString& query = {}) {
    QUrl url(QStringLiteral("ws://127.0.0.1/feed"));
    url.setPort(port);
    if (!query.isEmpty()) {
        url.setQuery(query);
    }
    return url;
}

// A port nobody listens on now, on every address, so that tests run side by side do not meet on one.
inline quint16 freeFeedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::Any);
    return probe.serverPort();
}
