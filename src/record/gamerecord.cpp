#include "record/gamerecord.h"

#include "game/game.h"
#include "record/resume.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <utility>

GameRecord::GameRecord(Game& game, RecordWriter& writer, QObject* parent)
    : QObject(parent), timeOfDayMs([] { return QDateTime::currentMSecsSinceEpoch(); }), m_game(game),
      m_writer(writer) {
    // Under a second apart, so that a checkpoint lost with the program still leaves one within a
    // second of the clocks as last shown.
    m_checkpoints.setInterval(CheckpointMs);
    connect(&m_checkpoints, &QTimer::timeout, this, &GameRecord::checkpoint);
    connect(&m_game, &Game::changed, this, &GameRecord::changed);
    connect(&m_game, &Game::settled, this, &GameRecord::settled);
}

GameRecord::~GameRecord() {
    handOver();
}

void GameRecord::startNew() {
    const SettingsRecord& settings = m_game.settings();
    m_writer.startGame({timeOfDayMs(), settings.HomeText, settings.VisitorText, settings.League});
    m_recording = true;
}

void GameRecord::resume(const StoredGame& stored) {
    m_writer.continueGame(stored);
    m_recording = true;
    const RestoredGame restored = restoredValues(stored);
    GameSnapshot values = m_game.snapshot();
    for (GameValue& v : values) {
        if (v.field == GameField::GameClock && restored.gameClock) {
            v.value = *restored.gameClock;
        } else if (v.field == GameField::ShotClock && restored.shotClock) {
            v.value = *restored.shotClock;
        } else if (restored.values.contains(v.field)) {
            v.value = restored.values.value(v.field);
        }
    }
    // Recorded as restores, into the same game.
    m_game.restore(values, GameCause::Restore);
}

void GameRecord::end() {
    if (!m_recording) {
        return;
    }
    m_checkpoints.stop();
    handOver();
    m_writer.endGame(timeOfDayMs());
    m_recording = false;
}

void GameRecord::changed(const GameEvent& event) {
    if (!m_recording) {
        return;
    }
    RecordedEvent row;
    row.timeOfDayMs = timeOfDayMs();
    row.steadyNs = m_game.clocks().game().timeSource().nowNs();
    row.period = m_game.value(GameField::Period);
    row.gameClock = m_game.value(GameField::GameClock);
    row.shotClock = m_game.value(GameField::ShotClock);
    row.event = event;
    m_command << row;
    // Checkpoints only while there is time running: an idle board wakes nobody.
    if (clockRunning() != m_checkpoints.isActive()) {
        clockRunning() ? m_checkpoints.start() : m_checkpoints.stop();
    }
}

void GameRecord::settled() {
    if (m_command.isEmpty()) {
        return;
    }
    m_settled << std::exchange(m_command, {});
    if (!m_handOverQueued) {
        m_handOverQueued = true;
        // At the priority of the board's own repaint, and after it.
        QCoreApplication::postEvent(this, new QEvent(HandOverEvent), Qt::LowEventPriority);
    }
}

bool GameRecord::event(QEvent* event) {
    if (event->type() == HandOverEvent) {
        handOver();
        return true;
    }
    return QObject::event(event);
}

void GameRecord::handOver() {
    m_handOverQueued = false;
    // Each command its own transaction, as the operator made them.
    for (QList<RecordedEvent>& command : m_settled) {
        m_writer.append(std::move(command));
    }
    m_settled.clear();
}

void GameRecord::checkpoint() {
    if (!clockRunning()) {
        m_checkpoints.stop();
        return;
    }
    handOver(); // the checkpoint follows the events before it
    ClockCheckpoint c;
    c.timeOfDayMs = timeOfDayMs();
    c.steadyNs = m_game.clocks().game().timeSource().nowNs();
    c.gameClock = m_game.value(GameField::GameClock);
    c.shotClock = m_game.value(GameField::ShotClock);
    c.gameRunning = m_game.value(GameField::ClockRunning) != 0;
    c.shotRunning = m_game.value(GameField::ShotClockRunning) != 0;
    m_writer.checkpoint(c);
}

bool GameRecord::clockRunning() const {
    return m_game.value(GameField::ClockRunning) != 0 || m_game.value(GameField::ShotClockRunning) != 0;
}
