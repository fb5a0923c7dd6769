// The program's start and end, as main() runs them. Closing the board ends the application's
// loop, so each test that does it runs the loop itself.
#include "../scoreboard/boardfixture.h"
#include "app/frmsplash.h"
#include "app/startup.h"
#include "help/frmhelp.h"
#include "options/frmoptions.h"
#include "support/privaterecord.h"
#include "support/quitcounter.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void flows_data();
    void flows();
    void closingTheBoardEndsEverything();
    void helpAndOptionsRequestsReachTheStartup();
    void optionsFromTheSplashReachTheBoard();
    void optionsOkWritesEveryKeyToTheStore();
    void boardRefreshesAfterOptionsWhateverTheAnswer_data();
    void boardRefreshesAfterOptionsWhateverTheAnswer();

private:
    // Starts m_startup with boards that sound through a fake device, m_buzzer.
    void startWithFakeBuzzer() {
        m_startup->boardEnvironment = [this] {
            BoardEnvironment env;
            m_buzzer = new FakeBuzzer;
            env.buzzer = m_buzzer;
            return env;
        };
        m_startup->start();
    }

    std::unique_ptr<Startup> m_startup;
    FakeBuzzer* m_buzzer = nullptr;
    QuitCounter m_quits;
};

void TestStartup::init() {
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    Settings = SettingsRecord();
    m_startup = std::make_unique<Startup>(QStringList());
    givePrivateRecord(*m_startup);
    m_buzzer = nullptr;
}

void TestStartup::cleanup() {
    // The start-up owns the options dialog; the windows it opened delete themselves on close.
    m_startup.reset();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    setSettingsStore(nullptr);
}

// Each flow: the command line, what the operator does on the splash, and what follows.
void TestStartup::flows_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("action"); // "click", "close" or "" (nothing)
    QTest::addColumn<bool>("splashShown");
    QTest::addColumn<bool>("boardOpen");
    QTest::addColumn<bool>("programEnds");

    QTest::newRow("splash waits") << QStringList{} << "" << true << false << false;
    QTest::newRow("click goes on to the board") << QStringList{} << "click" << false << true << false;
    QTest::newRow("bypass opens the board at once") << QStringList{"bypass"} << "" << false << true << false;
    QTest::newRow("closing the splash ends the program")
        << QStringList{} << "close" << false << false << true;
}

void TestStartup::flows() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, action);
    QFETCH(bool, splashShown);
    QFETCH(bool, boardOpen);
    QFETCH(bool, programEnds);

    qApp->installEventFilter(&m_quits);
    m_quits.enabled = true;
    m_quits.count = 0;
    m_startup = std::make_unique<Startup>(arguments);
    givePrivateRecord(*m_startup);
    m_startup->start();
    // The settings are loaded before anything is shown.
    QCOMPARE(Settings.TimeColor, 33023);
    QPointer<frmSplash> splash = m_startup->splash();
    if (action == "click") {
        QTest::mouseClick(splash->findChild<QWidget*>("lblClick"), Qt::LeftButton);
    } else if (action == "close") {
        splash->close();
    }

    QCOMPARE(!splash.isNull() && splash->isVisible(), splashShown);
    QCOMPARE(m_startup->board() != nullptr && m_startup->board()->isVisible(), boardOpen);
    // The end of the program is a posted request; it must be there exactly when expected.
    QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
    m_quits.enabled = false;
    QCOMPARE(m_quits.count, programEnds ? 1 : 0);
}

void TestStartup::closingTheBoardEndsEverything() {
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    m_startup = std::make_unique<Startup>(QStringList{"bypass"});
    givePrivateRecord(*m_startup);
    startWithFakeBuzzer();
    // Any existing file opens the fake device.
    Settings.BuzzerFile = QCoreApplication::applicationFilePath();
    m_startup->board()->applySettings();
    QWidget other;
    other.setWindowTitle(QStringLiteral("Help"));
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));

    // Closed from inside the running loop, as the operator would; a loop that does not
    // end by itself is ended by the watchdog with a code the test rejects.
    QPointer<frmScoreBoard> board = m_startup->board();
    // The board takes its sound device with it when it goes; what was sent is noted before.
    QStringList sent;
    connect(board, &frmScoreBoard::closed, this, [&] { sent = m_buzzer->commands; });
    QTimer::singleShot(0, board, [&] { board->close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(7); });
    QCOMPARE(QApplication::exec(), 0);

    QVERIFY(board.isNull() || !board->isVisible());
    QVERIFY(!other.isVisible());
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.last(), QStringLiteral("Close"));
}

void TestStartup::helpAndOptionsRequestsReachTheStartup() {
    // The splash's Help button and F1 on the board show one help window, which stays open
    // beside the board after the splash has gone.
    const auto helpWindows = [] {
        QList<frmHelp*> found;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* help = qobject_cast<frmHelp*>(w); help && help->isVisible()) {
                found << help;
            }
        }
        return found;
    };
    m_startup->start();
    frmSplash* splash = m_startup->splash();
    QTest::mouseClick(splash->findChild<QWidget*>("cmdHelp"), Qt::LeftButton);
    QCOMPARE(helpWindows().size(), 1);
    QCOMPARE(helpWindows().first()->windowTitle(), QStringLiteral("Ravenmark Help"));
    QPointer<frmHelp> first = helpWindows().first();

    Settings.TitleText = QStringLiteral("Final");
    splash->GoScore();
    QCOMPARE(m_startup->board()->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Final"));
    QTest::keyClick(m_startup->board()->windowHandle(), Qt::Key_F1);
    QTest::keyClick(m_startup->board()->windowHandle(), Qt::Key_F1);
    QCOMPARE(helpWindows().size(), 1);
    QCOMPARE(helpWindows().first(), first.data());
}

namespace {

// Answers the options dialog as soon as it is up: sets the board's title and presses a button.
void answerOptions(const QString& title, const QString& button) {
    QTimer::singleShot(0, qApp, [title, button] {
        auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtTitleText"))->setText(title);
        dialog->findChild<QPushButton*>(button)->click();
    });
}

} // namespace

void TestStartup::optionsFromTheSplashReachTheBoard() {
    // GIVEN the splash WHEN options are confirmed there THEN the board opened afterwards shows them
    m_startup->start();
    answerOptions(QStringLiteral("Cup Final"), QStringLiteral("cmdOk"));
    QTest::mouseClick(m_startup->splash()->findChild<QWidget*>("cmdOptions"), Qt::LeftButton);
    QCOMPARE(Settings.TitleText, QStringLiteral("Cup Final"));
    QVERIFY(m_startup->splash()->isVisible());
    m_startup->splash()->GoScore();
    QCOMPARE(m_startup->board()->findChild<QLabel*>("lblTitle")->text(), QStringLiteral("Cup Final"));
}

void TestStartup::optionsOkWritesEveryKeyToTheStore() {
    // GIVEN a first start with an empty store on disk
    QTemporaryDir dir;
    setSettingsStore(std::make_unique<QSettingsStore>(dir.path()));
    m_startup->start();
    const SettingsRecord loaded = Settings;

    // WHEN options are opened and confirmed unchanged
    answerOptions(Settings.TitleText, QStringLiteral("cmdOk"));
    m_startup->showOptions();

    // THEN the file holds every key, as text, and "IsKeyCode" "Yes"; loading it gives the same record
    QSettings file(dir.filePath(QStringLiteral("Ravenmark.conf")), QSettings::IniFormat);
    for (const SettingKey& key : settingKeys()) {
        const QString path = QLatin1String(key.section) + u'/' + QLatin1String(key.key);
        QVERIFY2(file.contains(path), qPrintable(path));
    }
    QCOMPARE(file.value(QStringLiteral("KeySettings/IsKeyCode")).toString(), QStringLiteral("Yes"));
    SettingsRecord reread;
    LoadSettings(QSettingsStore(dir.path()), reread, QCoreApplication::applicationDirPath());
    QCOMPARE(reread, loaded);
}

void TestStartup::boardRefreshesAfterOptionsWhateverTheAnswer_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::newRow("Ok") << QStringLiteral("cmdOk") << QStringLiteral("Derby");
    QTest::newRow("Cancel") << QStringLiteral("cmdCancel") << QStringLiteral("Home");
}

void TestStartup::boardRefreshesAfterOptionsWhateverTheAnswer() {
    QFETCH(QString, button);
    QFETCH(QString, title);
    m_startup = std::make_unique<Startup>(QStringList{"bypass"});
    givePrivateRecord(*m_startup);
    startWithFakeBuzzer();
    m_buzzer->commands.clear();

    // F2 on the board: the dialog, then the board's refresh.
    answerOptions(QStringLiteral("Derby"), button);
    QTest::keyClick(m_startup->board()->windowHandle(), Qt::Key_F2);

    QCOMPARE(m_startup->board()->findChild<QLabel*>("lblTitle")->text(), title);
    QCOMPARE(m_buzzer->commands, QStringList({QStringLiteral("Close"), QStringLiteral("Open")}));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
