#include "feed/feedconnection.h"

#include <QByteArray>

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

// How long a refused client has to read its answer before the connection is cut.
constexpr int LingerMs = 2000;

// Answers with an error status and closes. Until then it reads and drops whatever still comes, so
// that closing does not reset the answer away; the socket deletes itself once closed.
void answerAndClose(QTcpSocket* socket, int status) {
    socket->readAll();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    const QByteArray line = QByteArray::number(status) + ' ' + reasonPhrase(status);
    const QByteArray body = line + '\n';
    socket->write("HTTP/1.1 " + line + "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    // A short wait lets the client read the answer and close first.
    QTimer::singleShot(200, socket, [socket] { socket->disconnectFromHost(); });
    QTimer::singleShot(LingerMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
}

} // namespace

FeedConnection::FeedConnection(const FeedLimits& limits, std::shared_ptr<int> openCount, QObject* parent)
    : QTcpSocket(parent), m_limits(limits), m_openCount(std::move(openCount)) {
    ++*m_openCount;
    // What Qt may buffer of one request; the parser keeps all of it until the request is complete.
    setReadBufferSize(m_limits.maxRequestBytes);
    // Connected before the HTTP server's own handler, so it sees each arrival first.
    connect(this, &QTcpSocket::readyRead, this, &FeedConnection::received);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { refuse(408); });
    m_deadline.start(m_limits.requestTimeoutMs);
}

FeedConnection::~FeedConnection() {
    --*m_openCount;
}

void FeedConnection::settle() {
    m_settled = true;
    m_deadline.stop();
}

void FeedConnection::received() {
    if (m_settled || m_refused) {
        return;
    }
    // Qt's parser takes everything available on each arrival, so this is what came since.
    m_received += bytesAvailable();
    if (m_received >= m_limits.maxRequestBytes) {
        refuse(431);
    }
}

void FeedConnection::refuse(int status) {
    if (m_refused) {
        return;
    }
    m_refused = true;
    m_deadline.stop();
    // Qt's parser may still be listening to a request it has not given up on.
    disconnect(this, &QTcpSocket::readyRead, nullptr, nullptr);
    answerAndClose(this, status);
}

FeedListener::FeedListener(const FeedLimits& limits, QObject* parent)
    : QTcpServer(parent), m_limits(limits) {}

void FeedListener::incomingConnection(qintptr descriptor) {
    if (*m_open >= m_limits.maxConnections) {
        // Refused connections linger briefly to deliver their 503; a flood of them is cut at once.
        auto* extra = new QTcpSocket(this);
        extra->setSocketDescriptor(descriptor);
        if (*m_refusing >= m_limits.maxConnections) {
            extra->abort();
            extra->deleteLater();
            return;
        }
        ++*m_refusing;
        auto refusing = m_refusing;
        connect(extra, &QObject::destroyed, [refusing] { --*refusing; });
        answerAndClose(extra, 503);
        return;
    }
    auto* connection = new FeedConnection(m_limits, m_open, this);
    connection->setSocketDescriptor(descriptor);
    m_connections.removeAll(nullptr);
    m_connections.append(connection);
    addPendingConnection(connection);
}

void FeedListener::settle(const QHostAddress& peer, quint16 peerPort) {
    for (const QPointer<FeedConnection>& connection : std::as_const(m_connections)) {
        if (connection && connection->peerPort() == peerPort && connection->peerAddress() == peer) {
            connection->settle();
        }
    }
}
