#pragma once

#include "components/monotonicclock.h"
#include "feed/feedserver.h"
#include "feed/feedsource.h"

#include <QEvent>
#include <QObject>
#include <QThread>

struct SettingsRecord;

// The live feed as the program runs it: reads the game through its source on the board's thread,
// and hands each change with a snapshot to the server on a thread of its own, so that no client
// can slow the board. Off until the settings turn it on.
class LiveFeed : public QObject {
    Q_OBJECT

public:
    explicit LiveFeed(FeedSource& source, const FeedLimits& limits = {},
                      const MonotonicClock& clock = MonotonicClock::system(), QObject* parent = nullptr);
    ~LiveFeed() override;

    // Starts, restarts or stops the server as the options say; a new token alone takes effect
    // without a restart.
    void apply(const SettingsRecord& settings);
    // Listens as given; false, with one log line, when it cannot. Port 0 picks a free one.
    bool start(const FeedConfig& config);
    void stop();

    bool isRunning() const { return m_running; }
    // Where it listens, while it runs.
    quint16 port() const { return m_port; }
    // The WebSocket clients it sends to now.
    int feedClients();

protected:
    bool event(QEvent* event) override;

private:
    static constexpr QEvent::Type SendEvent = QEvent::Type(QEvent::User + 72);
    // A change waits for the event loop's turn: by then the board has painted it, and one command's
    // changes (or a burst of keys) go to the feed's thread together.
    void queue(const FeedChange& change);
    void post(QList<FeedChange> changes, bool evenIfStopped = false);
    void ensureServer();
    template <typename F> auto onServer(F&& work);

    FeedSource& m_source;
    FeedLimits m_limits;
    const MonotonicClock& m_clock;
    QThread m_thread;
    // Where work for the feed's thread is sent before the server exists.
    QObject m_threadContext;
    // Lives on m_thread, made on first start.
    FeedServer* m_server = nullptr;
    FeedConfig m_config;
    bool m_running = false;
    quint16 m_port = 0;
    std::int64_t m_seq = 0;
    QList<FeedChange> m_pending;
    bool m_sendQueued = false;
};
