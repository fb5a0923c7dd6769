#pragma once

#include "record/gamehistory.h"
#include "record/gamerecord.h"
#include "record/recordwriter.h"

#include <QLabel>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class frmScoreBoard;
class QKeyEvent;

struct GameSessionEnvironment {
    RecordWriter::Options record;
    // Asks the operator a Yes/No question over `parent`; true for Yes. Tests answer it themselves.
    std::function<bool(QWidget* parent, const QString& question)> confirm;
    int noticeMs = 10000;
};

// The board's game beyond the board: its record, resuming a game cut off, undo and redo, and a new
// game on request. Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z and Ctrl+N are taken here, before the board's key
// dispatch, so that they never also act as their plain letters; every other key goes on to it.
class GameSession : public QObject {
    Q_OBJECT

public:
    GameSession(frmScoreBoard& board, GameSessionEnvironment environment = {}, QObject* parent = nullptr);
    ~GameSession() override;

    // Puts back the last game if the program was not closed normally, else starts a new record.
    void start();
    // Once the board is on the screen: tells the operator that the game was restored.
    void showNotice();
    // The board closes normally: the game gets its end mark.
    void end();
    // Ctrl+N: asks, and on Yes ends this game's record and starts afresh.
    void newGame();
    // Waits until every change so far has been tried; true when all of it is written.
    bool flush();

    bool resumed() const { return m_resumed; }
    GameHistory& history() { return m_history; }
    RecordWriter& writer() { return m_writer; }
    const QLabel* notice() const { return m_notice.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Command { None, Undo, Redo, NewGame };
    static Command commandOf(const QKeyEvent& key);
    bool onBoard(QObject* watched) const;
    void hideNotice();

    frmScoreBoard& m_board;
    GameSessionEnvironment m_env;
    RecordWriter m_writer;
    GameRecord m_record;
    GameHistory m_history;
    bool m_resumed = false;
    qint64 m_restoredFromMs = 0;
    // A window of its own over the board, so that nothing of the board's looks touches it and it
    // never takes the keyboard.
    std::unique_ptr<QLabel> m_notice;
    QTimer m_noticeTimer;
};
