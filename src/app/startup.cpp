#include "app/startup.h"

#include "app/frmsplash.h"
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

Startup::~Startup() = default;

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
    m_board = new frmScoreBoard(nullptr, boardEnvironment ? boardEnvironment() : BoardEnvironment{});
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
