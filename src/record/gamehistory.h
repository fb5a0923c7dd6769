#pragma once

#include <QObject>
#include <QUndoStack>

class Game;
struct GameEvent;

// Undo and redo of the operator's changes of values. Everything one action (a key press, a click)
// changes is one step: a typed game time and the reset time it sets go back together. The clocks'
// starting, stopping and running, and the read-out switch, are not undone. Each undo and redo is
// a change of the game of its own, so the record keeps it as one.
class GameHistory : public QObject {
    Q_OBJECT

public:
    explicit GameHistory(Game& game, QObject* parent = nullptr);

    // Called before each action of the operator: what it changes becomes a step of its own.
    void beginAction() { m_open = nullptr; }
    void undo();
    void redo();
    // A new game: nothing of the old one can be taken back.
    void clear();

    const QUndoStack& stack() const { return m_stack; }

private:
    class Step;
    void changed(const GameEvent& event);

    Game& m_game;
    QUndoStack m_stack;
    Step* m_open = nullptr;  // the step the current action adds to
    bool m_applying = false; // undo or redo is changing the game
};
