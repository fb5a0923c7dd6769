#include "app/startup.h"

#include "app/frmsplash.h"
#include "audience/audience.h"
#include "components/monotonicclock.h"
#include "options/frmoptions.h"
#include "platform/numlock.h"
#include "platform/pulsesounddevice.h"
#include "settings/settings.h"
#include "settings/settingsnotifier.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>

Startup::Startup(const QStringList& arguments, QObject* parent)
    : QObject(parent), m_arguments(arguments), m_help(QCoreApplication::applicationDirPath()) {}

Startup::~Startup() {
    // The record and both boards go before the game they show.
    m_session.reset();
    m_audience.reset();
    delete m_board;
}

void Startup::start() {
    m_splash = new frmSplash;
    connect(m_splash, &frmSplash::goScoreRequested, this, &Startup::openBoard);
    connect(m_splash, &frmSplash::helpRequested, this, &Startup::showHelp);
    connect(m_splash, &frmSplash::optionsRequested, this, &Startup::showOptions);
    // No board will follow, so the program ends rather than run on with no window.
    connect(m_splash, &frmSplash::closedWithoutGoingOn, this, &Startup::endProgram);

    LoadSettings();

    if (splash::isBypass(m_arguments)) {
        m_splash->GoScore();
    } else {
        m_splash->show();
    }
}

void Startup::openBoard() {
    if (m_board) {
        return;
    }
    BoardEnvironment env = boardEnvironment ? boardEnvironment() : BoardEnvironment{};
    // The game outlives both boards that show it, the operator's and the audience's.
    if (env.game == nullptr) {
        const SettingsRecord& settings = env.settings ? *env.settings : Settings;
        m_game = std::make_unique<Game>(settings, env.clock ? *env.clock : MonotonicClock::system());
        env.game = m_game.get();
    }
    m_board = new frmScoreBoard(nullptr, env);
    m_board->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_board, &frmScoreBoard::helpRequested, this, &Startup::showHelp);
    connect(m_board, &frmScoreBoard::optionsRequested, this, &Startup::showOptions);
    connect(m_board, &frmScoreBoard::closed, this, &Startup::boardClosed);
    // A game cut off last time is back before the board's first paint.
    m_session = std::make_unique<GameSession>(*m_board, sessionEnvironment ? sessionEnvironment()
                                                                           : GameSessionEnvironment{});
    m_session->start();
    m_board->show();
    m_session->showNotice();
    openAudience(env);
}

void Startup::openAudience(BoardEnvironment env) {
    // The audience's board shows the same game at the same clock; the operator's sounds the horn.
    env.buzzer = nullptr;
    env.showOnly = true;
    m_audience = std::make_unique<Audience>(*m_board, new frmScoreBoard(nullptr, env));
    AudienceController* controller = &m_audience->controller();
    connect(m_board, &frmScoreBoard::audienceToggleRequested, controller, &AudienceController::toggleShown);
    connect(m_board, &frmScoreBoard::audienceBlackoutRequested, controller,
            &AudienceController::toggleBlackout);
    controller->start();
}

void Startup::boardClosed() {
    // Closed normally: the game gets its end mark, and the record is on the disk before the end.
    if (m_session) {
        m_session->end();
        m_session.reset();
    }
    // Closing the board ends the program, with every other window of it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_board && window->isVisible()) {
            window->close();
        }
    }
    endProgram();
}

void Startup::endProgram() {
    // Posted, so that it also holds before the event loop has started.
    QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
}

void Startup::showHelp() {
    // Beside the window that asked, which goes on meanwhile.
    m_help.present();
}

void Startup::showOptions() {
    if (!m_options) {
        OptionsEnvironment env;
        env.commit = &Startup::commitOptions;
        env.setNumLock = &modGrabKeys::SetNumLock;
        env.previewSound = [this]() -> SoundDevice* {
            if (!m_optionsSound) {
                m_optionsSound = std::make_unique<PulseSoundDevice>();
            }
            return m_optionsSound.get();
        };
        env.screens = audienceScreens;
        m_options = std::make_unique<frmOptions>(Settings, env);
    }
    // Modal: the splash or the board that asked waits here until the dialog closes.
    m_options->load(Settings);
    m_options->exec();
    // Its audio thread and server connection go with the dialog.
    m_optionsSound.reset();
}

CommitResult Startup::commitOptions(const SettingsRecord& record) {
    // In force first, so that a store that cannot be written loses nothing for this session.
    CommitSettings(record);
    SettingsStore& store = settingsStore();
    CommitResult result;
    result.saved = SaveSettings(store, record);
    if (const auto* file = dynamic_cast<const QSettingsStore*>(&store)) {
        result.location = file->location(QString::fromLatin1(SettingsApplication));
    }
    return result;
}
