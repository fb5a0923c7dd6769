#include "feed/livefeed.h"

#include "feed/feedlog.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <limits>
#include <utility>

// Runs `work` on the server's thread and waits for it: only for starting and stopping, which
// take microseconds.
void LiveFeed::ensureServer() {
    if (m_server != nullptr) {
        return;
    }
    // Made on its thread: Qt's HTTP server keeps parts that are not its children, which a move to
    // another thread would leave behind.
    m_thread.start();
    QMetaObject::invokeMethod(
        &m_threadContext, [this] { m_server = new FeedServer(m_limits, m_clock); },
        Qt::BlockingQueuedConnection);
}

template <typename F> auto LiveFeed::onServer(F&& work) {
    ensureServer();
    using Result = decltype(work());
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(m_server, std::forward<F>(work), Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(m_server, std::forward<F>(work), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

LiveFeed::LiveFeed(FeedSource& source, const FeedLimits& limits, const MonotonicClock& clock, QObject* parent)
    : QObject(parent), m_source(source), m_limits(limits), m_clock(clock) {
    m_thread.setObjectName(QStringLiteral("feed"));
    m_threadContext.moveToThread(&m_thread);
    connect(&m_source, &FeedSource::changed, this, &LiveFeed::queue);
    connect(&m_source, &FeedSource::restyled, this, [this] { post(std::exchange(m_pending, {})); });
}

void LiveFeed::queue(const FeedChange& change) {
    if (!m_running) {
        return;
    }
    m_pending << change;
    if (!m_sendQueued) {
        m_sendQueued = true;
        // At the priority of the board's own repaint, and after it.
        QCoreApplication::postEvent(this, new QEvent(SendEvent), Qt::LowEventPriority);
    }
}

bool LiveFeed::event(QEvent* event) {
    if (event->type() != SendEvent) {
        return QObject::event(event);
    }
    m_sendQueued = false;
    if (!m_pending.isEmpty()) {
        post(std::exchange(m_pending, {}));
    }
    return true;
}

LiveFeed::~LiveFeed() {
    if (m_server != nullptr) {
        onServer([server = m_server] { delete server; });
        m_thread.quit();
        m_thread.wait();
    }
}

void LiveFeed::apply(const SettingsRecord& s) {
    if (!s.FeedEnabled) {
        stop();
        return;
    }
    FeedConfig config;
    config.network = s.FeedNetwork;
    config.token = s.FeedToken;
    if (s.FeedPort < 1 || s.FeedPort > std::numeric_limits<quint16>::max()) {
        qCWarning(lcFeed, "The live feed's port %d is not a port number; it uses 8080.", int(s.FeedPort));
        config.port = 8080;
    } else {
        config.port = quint16(s.FeedPort);
    }
    if (m_running && config.port == m_config.port && config.network == m_config.network) {
        if (config.token != m_config.token) {
            m_config.token = config.token;
            onServer([server = m_server, token = config.token] { server->setToken(token); });
        }
        return;
    }
    start(config);
}

bool LiveFeed::start(const FeedConfig& config) {
    stop();
    m_config = config;
    // The state it starts with; after this, each change brings its own.
    post({}, true);
    const bool listening = onServer([server = m_server, config] { return server->listen(config); });
    if (!listening) {
        const QString reason = onServer([server = m_server] { return server->errorString(); });
        qCWarning(lcFeed, "The live feed could not start on port %u: %s", unsigned(config.port),
                  qUtf8Printable(reason));
        return false;
    }
    m_running = true;
    m_port = onServer([server = m_server] { return server->port(); });
    if (config.network) {
        qCInfo(lcFeed,
               "The live feed is on port %u of this computer's network addresses; every request needs "
               "its token.",
               unsigned(m_port));
    } else {
        qCInfo(lcFeed, "The live feed is on http://127.0.0.1:%u/ (this computer only).", unsigned(m_port));
    }
    if (config.network && config.token.isEmpty()) {
        qCWarning(lcFeed,
                  "The live feed has no token, so it refuses every request: renew it in the options.");
    }
    return true;
}

void LiveFeed::stop() {
    if (!m_running) {
        return;
    }
    onServer([server = m_server] { server->close(); });
    m_pending.clear();
    m_running = false;
    m_port = 0;
}

int LiveFeed::feedClients() {
    return m_running ? onServer([server = m_server] { return server->feedClients(); }) : 0;
}

void LiveFeed::post(QList<FeedChange> changes, bool evenIfStopped) {
    // Off, the feed costs the board nothing; a start sends the whole state anyway.
    if (!m_running && !evenIfStopped) {
        return;
    }
    for (FeedChange& change : changes) {
        change.seq = ++m_seq;
    }
    FeedUpdate update{std::move(changes), m_source.snapshot(), m_seq};
    ensureServer();
    QMetaObject::invokeMethod(
        m_server, [server = m_server, update = std::move(update)] { server->publish(update); },
        Qt::QueuedConnection);
}
