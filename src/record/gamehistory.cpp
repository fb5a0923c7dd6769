#include "record/gamehistory.h"

#include "game/game.h"

// The values one action changed, oldest first.
class GameHistory::Step : public QUndoCommand {
public:
    explicit Step(GameHistory& history) : m_history(history) {}
    void add(const GameEvent& event) { m_events << event; }

    void undo() override {
        for (auto it = m_events.crbegin(); it != m_events.crend(); ++it) {
            m_history.m_game.setValue(it->field, it->oldValue, GameCause::Undo);
        }
    }
    void redo() override {
        // Pushed after the action already made its changes.
        if (m_done) {
            for (const GameEvent& e : m_events) {
                m_history.m_game.setValue(e.field, e.newValue, GameCause::Redo);
            }
        }
        m_done = true;
    }

private:
    GameHistory& m_history;
    QList<GameEvent> m_events;
    bool m_done = false;
};

namespace {

bool undoable(const GameEvent& e) {
    switch (e.cause) {
    case GameCause::QuickKey:
    case GameCause::TypedEntry:
    case GameCause::ClearKey:
    case GameCause::PossessionClick:
        break;
    default:
        return false;
    }
    return e.field != GameField::ClockRunning && e.field != GameField::ShotClockRunning &&
           e.field != GameField::ClockDisplay;
}

} // namespace

GameHistory::GameHistory(Game& game, QObject* parent) : QObject(parent), m_game(game) {
    connect(&m_game, &Game::changed, this, &GameHistory::changed);
}

void GameHistory::changed(const GameEvent& event) {
    if (m_applying || !undoable(event)) {
        return;
    }
    if (!m_open) {
        m_open = new Step(*this);
        m_open->add(event);
        m_stack.push(m_open); // also drops whatever could have been redone
        return;
    }
    m_open->add(event);
}

void GameHistory::undo() {
    m_open = nullptr;
    m_applying = true;
    m_stack.undo();
    m_applying = false;
}

void GameHistory::redo() {
    m_open = nullptr;
    m_applying = true;
    m_stack.redo();
    m_applying = false;
}

void GameHistory::clear() {
    m_open = nullptr;
    m_stack.clear();
}
