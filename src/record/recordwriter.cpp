#include "record/recordwriter.h"

#include "record/recordlog.h"

#include <QAtomicInteger>
#include <QTimer>
#include <csignal>

// Lives on the writer's thread; everything it holds is touched only there.
class RecordWorker : public QObject {
public:
    explicit RecordWorker(RecordWriter::Options options)
        : m_options(std::move(options)),
          m_db(QStringLiteral("ravenmark-record-%1").arg(nextConnection.fetchAndAddRelaxed(1))) {}

    void startGame(const GameHeader& header) {
        m_header = header;
        m_gameId = -1;
        m_gameInFile = false;
        m_events.clear();
        m_written = 0;
        m_checkpoint.reset();
        m_ended.reset();
        sync();
    }

    void continueGame(const StoredGame& game) {
        m_header = game.header;
        m_gameId = game.id;
        m_gameInFile = false;
        m_events = game.events;
        m_written = 0; // rewritten if the file turns out not to hold them; repeats are ignored
        m_checkpoint = game.checkpoint;
        m_ended.reset();
        sync();
    }

    void append(const QList<RecordedEvent>& events) {
        m_events << events;
        sync();
    }

    void checkpoint(const ClockCheckpoint& checkpoint) {
        m_checkpoint = checkpoint;
        sync();
    }

    void endGame(qint64 endedMs) {
        m_ended = endedMs;
        sync();
    }

    bool caughtUp() const {
        return !m_header || (m_gameInFile && m_written == m_events.size() && !m_checkpoint && !m_ended);
    }

    bool sync() {
        if (!m_header) {
            return true;
        }
        if (writePending()) {
            if (m_reporting) {
                qCInfo(lcRecord).noquote() << "Game record: writing to" << m_options.path << "again";
                m_reporting = false;
            }
            if (m_retry) {
                m_retry->stop();
            }
            return true;
        }
        // A damaged file is moved aside (by the open that finds it, or here) and the game written
        // into a new one at once.
        if (m_db.lastErrorDamaged()) {
            m_db.close();
            if (!RecordDatabase::moveAside(m_options.path).isEmpty() && writePending()) {
                return true;
            }
        }
        if (!m_reporting) {
            qCWarning(lcRecord).noquote()
                << "Game record: cannot write to" << m_options.path << "(" + m_db.lastError() + ");"
                << "the game goes on, and what is not written yet will be when it can";
            m_reporting = true;
        }
        // Opened afresh next time: the storage may come back as another file, or another mode.
        m_db.close();
        armRetry();
        return false;
    }

    void stop() {
        if (m_retry) {
            m_retry->stop();
        }
        m_db.close();
    }

private:
    bool writePending() {
        if (!open()) {
            return false;
        }
        if (!m_gameInFile) {
            const std::optional<bool> found =
                m_gameId >= 0 ? m_db.hasGame(m_gameId, m_header->startedMs) : std::optional<bool>(false);
            if (!found) {
                return false;
            }
            if (!*found) {
                const std::optional<qint64> id = m_db.insertGame(*m_header);
                if (!id) {
                    return false;
                }
                m_gameId = *id;
                m_written = 0;
            }
            m_gameInFile = true;
        }
        if (m_written < m_events.size()) {
            if (!m_db.insertEvents(m_gameId, std::span<const RecordedEvent>(m_events.constData() + m_written,
                                                                            m_events.size() - m_written))) {
                return false;
            }
            m_written = m_events.size();
        }
        if (m_checkpoint) {
            if (!m_db.writeCheckpoint(m_gameId, *m_checkpoint)) {
                return false;
            }
            m_checkpoint.reset();
        }
        if (m_ended) {
            if (!m_db.endGame(m_gameId, *m_ended)) {
                return false;
            }
            m_ended.reset();
        }
        return true;
    }

    // Opens the file when it is not open or no longer the one at the path. Another file than
    // before gets the whole game again.
    bool open() {
        if (m_db.isOpen() && m_db.stillAtPath()) {
            return true;
        }
        if (m_db.isOpen()) {
            qCWarning(lcRecord).noquote() << "Game record:" << m_options.path
                                          << "was removed or replaced; this game is written into a new one";
            m_db.close();
            m_fileId = {}; // a new file may get the old one's inode
        }
        if (!m_db.open(m_options.path, RecordDatabase::Access::ReadWrite, m_options.durability)) {
            return false;
        }
        m_gameInFile = false;
        if (m_db.fileId() != m_fileId) {
            m_fileId = m_db.fileId();
            m_written = 0;
            // Damage deep in the file shows only when every page is read: once per file, here on
            // the record's own thread.
            if (!m_db.quickCheck()) {
                return false;
            }
        }
        return true;
    }

    void armRetry() {
        if (m_options.retryMs <= 0) {
            return;
        }
        if (!m_retry) {
            m_retry = new QTimer(this);
            m_retry->setSingleShot(true);
            connect(m_retry, &QTimer::timeout, this, [this] { sync(); });
        }
        m_retry->start(m_options.retryMs);
    }

    static inline QAtomicInteger<int> nextConnection{0};

    RecordWriter::Options m_options;
    RecordDatabase m_db;
    std::pair<dev_t, ino_t> m_fileId{};
    std::optional<GameHeader> m_header;
    qint64 m_gameId = -1;
    bool m_gameInFile = false;     // the game's row is in the open file
    QList<RecordedEvent> m_events; // the whole game, for a file that has to be written afresh
    qsizetype m_written = 0;       // how many of them the open file holds
    std::optional<ClockCheckpoint> m_checkpoint;
    std::optional<qint64> m_ended;
    bool m_reporting = false; // a failure has been logged; the next success says so
    QTimer* m_retry = nullptr;
};

RecordWriter::RecordWriter(Options options, QObject* parent)
    : QObject(parent), m_worker(new RecordWorker(std::move(options))) {
    // A file-size limit reached must fail the write, not end the program with the game on the board.
    std::signal(SIGXFSZ, SIG_IGN);
    m_thread.setObjectName(QStringLiteral("record"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start(QThread::LowPriority);
}

RecordWriter::~RecordWriter() {
    QMetaObject::invokeMethod(
        m_worker,
        [w = m_worker] {
            w->sync();
            w->stop();
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

template <typename Call> void RecordWriter::post(Call call) {
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, call = std::move(call)] { call(*w); }, Qt::QueuedConnection);
}

void RecordWriter::startGame(const GameHeader& header) {
    m_seq = 0;
    post([header](RecordWorker& w) { w.startGame(header); });
}

void RecordWriter::continueGame(const StoredGame& game) {
    m_seq = game.events.isEmpty() ? 0 : game.events.last().seq;
    if (game.checkpoint) {
        m_seq = std::max(m_seq, game.checkpoint->afterSeq);
    }
    post([game](RecordWorker& w) { w.continueGame(game); });
}

void RecordWriter::append(RecordedEvent event) {
    append(QList<RecordedEvent>{std::move(event)});
}

void RecordWriter::append(QList<RecordedEvent> events) {
    for (RecordedEvent& event : events) {
        event.seq = ++m_seq;
    }
    post([events = std::move(events)](RecordWorker& w) { w.append(events); });
}

void RecordWriter::checkpoint(ClockCheckpoint checkpoint) {
    checkpoint.afterSeq = m_seq;
    post([checkpoint](RecordWorker& w) { w.checkpoint(checkpoint); });
}

void RecordWriter::endGame(qint64 endedMs) {
    post([endedMs](RecordWorker& w) { w.endGame(endedMs); });
}

bool RecordWriter::flush() {
    bool done = false;
    QMetaObject::invokeMethod(
        m_worker, [&done, w = m_worker] { done = w->caughtUp(); }, Qt::BlockingQueuedConnection);
    return done;
}

bool RecordWriter::retryNow() {
    bool done = false;
    QMetaObject::invokeMethod(
        m_worker, [&done, w = m_worker] { done = w->sync() && w->caughtUp(); }, Qt::BlockingQueuedConnection);
    return done;
}
