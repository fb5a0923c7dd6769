#include "record/gamehistory.h"

#include "game/game.h"

// The values one action changed, oldest first.
class GameHistory::Step : public QUndoCommand {
public:
    explicit Step(GameHistory& history) : m_history(history) {}
    void add(const GameEvent& event) { m_events << event; }

    // All of a step's values change as one command of the game, so the record keeps them together.
    void undo() override {
        GameSnapshot values;
        for (auto it = m_events.crbegin(); it != m_events.crend(); ++it) {
            put(values, it->field, it->oldValue);
        }
        m_history.m_game.restore(values, GameCause::Undo);
    }
    void redo() override {
        // Pushed after the action already made its changes.
        if (m_done) {
            GameSnapshot values;
            for (const GameEvent& e : m_events) {
                put(values, e.field, e.newValue);
            }
            m_history.m_game.restore(values, GameCause::Redo);
        }
        m_done = true;
    }

private:
    // A field changed twice in one step ends where the last change put it.
    static void put(GameSnapshot& values, GameField field, qint64 value) {
        for (GameValue& v : values) {
            if (v.field == field) {
                v.value = value;
                return;
            }
        }
        values.append({field, value});
    }

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
