#include "app/gamesession.h"

#include "record/resume.h"
#include "scoreboard/frmscoreboard.h"

#include <QApplication>
#include <QDateTime>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWindow>

namespace {

bool askOperator(QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, QStringLiteral("Ravenmark"), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

GameSession::GameSession(frmScoreBoard& board, GameSessionEnvironment environment, QObject* parent)
    : QObject(parent), m_board(board), m_env(std::move(environment)), m_writer(m_env.record),
      m_record(board.game(), m_writer), m_history(board.game()) {
    if (!m_env.confirm) {
        m_env.confirm = &askOperator;
    }
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(m_env.noticeMs);
    connect(&m_noticeTimer, &QTimer::timeout, this, &GameSession::hideNotice);
    qApp->installEventFilter(this);
}

GameSession::~GameSession() {
    qApp->removeEventFilter(this);
}

void GameSession::start() {
    if (std::optional<StoredGame> cut = readUnfinishedGame(m_env.record.path)) {
        m_record.resume(*cut);
        m_resumed = true;
        m_restoredFromMs = restoredValues(*cut).lastSeenMs;
    } else {
        m_record.startNew();
    }
}

void GameSession::showNotice() {
    if (!m_resumed) {
        return;
    }
    m_notice = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    m_notice->setObjectName(QStringLiteral("lblRestored"));
    m_notice->setAttribute(Qt::WA_ShowWithoutActivating);
    m_notice->setText(
        QStringLiteral("Game restored from %1. Ctrl+N starts a new game.")
            .arg(QDateTime::fromMSecsSinceEpoch(m_restoredFromMs).toString(QStringLiteral("HH:mm:ss"))));
    m_notice->setMargin(12);
    QFont font = m_notice->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    m_notice->setFont(font);
    m_notice->setStyleSheet(
        QStringLiteral("background: #202020; color: #f0f0f0; border: 1px solid #808080;"));
    m_notice->adjustSize();
    const QRect board = m_board.frameGeometry();
    m_notice->move(board.center().x() - m_notice->width() / 2, board.top() + board.height() / 12);
    m_notice->show();
    m_noticeTimer.start();
}

void GameSession::hideNotice() {
    m_noticeTimer.stop();
    if (m_notice) {
        m_notice->hide();
    }
}

void GameSession::end() {
    m_record.end();
    m_writer.flush();
}

bool GameSession::flush() {
    m_record.handOver();
    return m_writer.flush();
}

void GameSession::newGame() {
    if (!m_env.confirm(&m_board, QStringLiteral("Start a new game?"))) {
        return;
    }
    hideNotice();
    m_record.end();
    m_history.clear();
    m_record.startNew();
    // Every value as a fresh start has it, recorded as the new game's first changes.
    Game& game = m_board.game();
    const Game fresh(game.settings(), game.clocks().game().timeSource());
    game.restore(fresh.snapshot(), GameCause::NewGame);
    m_resumed = false;
}

GameSession::Command GameSession::commandOf(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier) {
        switch (key.key()) {
        case Qt::Key_Z:
            return Command::Undo;
        case Qt::Key_Y:
            return Command::Redo;
        case Qt::Key_N:
            return Command::NewGame;
        default:
            return Command::None;
        }
    }
    return mods == (Qt::ControlModifier | Qt::ShiftModifier) && key.key() == Qt::Key_Z ? Command::Redo
                                                                                       : Command::None;
}

bool GameSession::onBoard(QObject* watched) const {
    if (watched == m_board.windowHandle()) {
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == &m_board;
}

bool GameSession::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress && onBoard(watched)) {
        m_history.beginAction();
        return false;
    }
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !onBoard(watched)) {
        return false;
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    const Command command = commandOf(key);
    if (type == QEvent::KeyPress) {
        hideNotice();
    }
    if (command == Command::None) {
        if (type == QEvent::KeyPress) {
            m_history.beginAction();
        }
        return false;
    }
    // Taken at its first stop (the board's window, or a field when sent there), so it acts once.
    if (type == QEvent::KeyPress) {
        switch (command) {
        case Command::Undo:
            m_history.undo();
            break;
        case Command::Redo:
            m_history.redo();
            break;
        case Command::NewGame:
            newGame();
            break;
        case Command::None:
            break;
        }
    }
    // Taken here: the board never sees these as their plain keys.
    return true;
}
