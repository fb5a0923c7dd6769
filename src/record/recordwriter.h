#pragma once

#include "record/recorddatabase.h"
#include "record/recordtypes.h"

#include <QObject>
#include <QThread>

class RecordWorker;

struct RecordWriterOptions {
    QString path = RecordDatabase::defaultPath();
    RecordDatabase::Durability durability = RecordDatabase::Durability::Full;
    int retryMs = 1000; // how soon a failed write is tried again; 0: only by retryNow()
};

// Writes the game record on a thread of its own, in the order it is handed things, so that a key
// press never waits for the disk. Each command's events are one committed transaction. When the storage
// fails (full, read-only, removed, locked) it says so once in the log, keeps what it could not
// write, and writes it when the storage works again; a removed or damaged file is replaced by a
// new one that gets the whole game again.
class RecordWriter : public QObject {
    Q_OBJECT

public:
    using Options = RecordWriterOptions;

    explicit RecordWriter(Options options = {}, QObject* parent = nullptr);
    // Writes what it still can, then stops the thread.
    ~RecordWriter() override;

    // A new game; its events are numbered from 1.
    void startGame(const GameHeader& header);
    // Goes on with a game read back from the record, numbering on from its last event.
    void continueGame(const StoredGame& game);
    // Numbers the event and hands it over.
    void append(RecordedEvent event);
    // Numbers the events of one command and hands them over together: they are written in one
    // transaction, so a crash keeps all of them or none.
    void append(QList<RecordedEvent> events);
    void checkpoint(ClockCheckpoint checkpoint);
    // The end mark of a game closed normally.
    void endGame(qint64 endedMs);

    qint64 lastSeq() const { return m_seq; }

    // Waits until everything handed over so far has been tried; true when all of it is written.
    bool flush();
    // Tries what is still unwritten now rather than at the next retry.
    bool retryNow();

private:
    template <typename Call> void post(Call call);

    QThread m_thread;
    RecordWorker* m_worker;
    qint64 m_seq = 0;
};
