#pragma once

#include "record/recordwriter.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <functional>

class Game;
struct GameEvent;

// The record as a view of one game: every change of the game goes into it with where the game
// stood, and while a clock runs its time is checkpointed a little more often than once a second.
class GameRecord : public QObject {
    Q_OBJECT

public:
    GameRecord(Game& game, RecordWriter& writer, QObject* parent = nullptr);
    ~GameRecord() override;

    // Starts the record of a new game, with the team names in force.
    void startNew();
    // Puts the game back where `stored` left off, clocks stopped, and records on into it.
    void resume(const StoredGame& stored);
    // The end mark: the game was closed normally.
    void end();
    // Hands the writer every command that settled and is still waiting (see `settled`).
    void handOver();

    // The time of day, milliseconds since the epoch; tests set their own.
    std::function<qint64()> timeOfDayMs;

    static constexpr int CheckpointMs = 900;

protected:
    bool event(QEvent* event) override;

private:
    static constexpr QEvent::Type HandOverEvent = QEvent::Type(QEvent::User + 71);
    void changed(const GameEvent& event);
    // One command's events go to the writer together, once the event loop turns: by then the
    // board has painted them, and waking the writer's thread does not delay the pixels.
    void settled();
    void checkpoint();
    bool clockRunning() const;

    Game& m_game;
    RecordWriter& m_writer;
    QTimer m_checkpoints;
    QList<RecordedEvent> m_command;
    QList<QList<RecordedEvent>> m_settled;
    bool m_handOverQueued = false;
    bool m_recording = false;
};
