#pragma once

#include "app/frmsplash.h"
#include "app/gamesession.h"
#include "help/frmhelp.h"
#include "platform/screenidentity.h"
#include "scoreboard/frmscoreboard.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class Audience;
class frmOptions;
class SoundDevice;
struct CommitResult;

// The program's start and end: loads the settings, shows the splash (or, started with
// "bypass", goes straight on), opens the board when the splash says so, answers the help
// and options requests of both windows, and ends the program when the board closes or the
// splash is closed without going on.
class Startup : public QObject {
    Q_OBJECT

public:
    explicit Startup(const QStringList& arguments, QObject* parent = nullptr);
    ~Startup() override;

    // Places the splash, loads the settings, then shows the splash or opens the board.
    void start();

    frmSplash* splash() const { return m_splash; }
    frmScoreBoard* board() const { return m_board; }
    // The audience's window and its controller, made with the board.
    Audience* audience() const { return m_audience.get(); }

    // What each board is made with; tests put in a hand-moved clock and a fake sound device.
    std::function<BoardEnvironment()> boardEnvironment;
    // The screens the options list for the audience; empty: the connected ones.
    std::function<QList<ScreenInfo>()> audienceScreens;
    // Where the board's game is recorded, and who answers its questions.
    std::function<GameSessionEnvironment()> sessionEnvironment;
    GameSession* session() const { return m_session.get(); }

    // Puts a confirmed options record in force and writes it to the store.
    static CommitResult commitOptions(const SettingsRecord& record);

public slots:
    void showHelp();
    void showOptions();

private:
    void openBoard();
    void openAudience(BoardEnvironment env);
    void boardClosed();
    static void endProgram();

    QStringList m_arguments;
    QPointer<frmSplash> m_splash;
    QPointer<frmScoreBoard> m_board;
    std::unique_ptr<Game> m_game; // declared before the boards' owners, so it is destroyed after them
    std::unique_ptr<Audience> m_audience;
    std::unique_ptr<GameSession> m_session;
    // The one help window, for the splash and the board alike.
    HelpLauncher m_help;
    // Made on first use, then kept: one options dialog. The device its "Test" plays on is made
    // on the first test and ends with each opening.
    std::unique_ptr<frmOptions> m_options;
    std::unique_ptr<SoundDevice> m_optionsSound;
};
