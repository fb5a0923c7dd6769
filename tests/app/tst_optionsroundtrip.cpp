// Every option changed in the dialog opened with F2, confirmed with OK, then the program
// started again on the same store: the new board must show and obey what the dialog showed.
#include "../scoreboard/boardfixture.h"
#include "app/startup.h"
#include "components/imagebox.h"
#include "components/ledreadout.h"
#include "options/frmoptions.h"
#include "options/optionsrules.h"
#include "options/optionswidgets.h"
#include "platform/keyboardbackend.h"
#include "platform/numlock.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/fakes.h"
#include "support/feedtestclient.h"
#include "support/pixels.h"
#include "support/privaterecord.h"
#include "support/testfiles.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

namespace {

// The key each binding gets instead of its default: seventeen letters no default uses.
struct Rebinding {
    const char* labelName;
    Qt::Key key;
};
constexpr std::array<Rebinding, 18> Rebindings{{
    {"lblKeyStartStopClock", Qt::Key_A},
    {"lblKeyResetClock", Qt::Key_D},
    {"lblKeyResetShotClock", Qt::Key_E},
    {"lblKeyClockSwitch", Qt::Key_G},
    {"lblKeyClear", Qt::Key_H},
    {"lblKeyBuzzer", Qt::Key_I},
    {"lblKeyHS1", Qt::Key_J},
    {"lblKeyHS2", Qt::Key_K},
    {"lblKeyHS3", Qt::Key_L},
    {"lblKeyVS1", Qt::Key_M},
    {"lblKeyVS2", Qt::Key_N},
    {"lblKeyVS3", Qt::Key_O},
    {"lblKeyHF1", Qt::Key_Q},
    {"lblKeyVF1", Qt::Key_U},
    {"lblKeyPeriod1", Qt::Key_V},
    {"lblKeyTolH1", Qt::Key_W},
    {"lblKeyTolV1", Qt::Key_X},
    {"lblKeyShortReset", Qt::Key_Z},
}};

// The colour each swatch is changed to, by its Change button.
const std::array<std::pair<const char*, QColor>, 9> NewColors{{
    {"cmdTimeC", QColor(10, 200, 30)},
    {"cmdHomeC", QColor(200, 40, 50)},
    {"cmdVisitorC", QColor(60, 70, 210)},
    {"cmdScoreC", QColor(250, 250, 20)},
    {"cmdPeriodC", QColor(0, 240, 240)},
    {"cmdLEDB", QColor(30, 0, 40)},
    {"cmdBackC", QColor(90, 60, 20)},
    {"cmdLedSelected", QColor(130, 0, 130)},
    {"cmdBorderC", QColor(255, 128, 0)},
}};

// A mono 16-bit PCM wave of a few silent samples: enough for the buzzer's decoder.
bool writeWave(const QString& path) {
    return !testfiles::write(path, testfiles::wave(testfiles::Pcm, 1, 8000, 16, QByteArray(800, '\0')))
                .isEmpty();
}

// Answers the next modal dialog of type D once it is up.
template <typename D, typename F> void answerNext(F answer) {
    QTimer::singleShot(0, qApp, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<D*>(modal);
        if (dialog == nullptr && modal != nullptr && !qobject_cast<frmOptions*>(modal)) {
            modal->close(); // whatever came up instead must not keep the test waiting
        }
        QVERIFY2(dialog, "the expected dialog is not up");
        answer(dialog);
    });
}

// A control of the dialog by name; a missing one fails the test where it is used.
template <typename T> T* control(QObject* dialog, const char* name) {
    T* found = dialog->findChild<T*>(QLatin1String(name));
    if (found == nullptr) {
        qWarning("the options dialog has no %s", name);
    }
    return found;
}

int countPixels(const QImage& image, const QColor& color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y).rgb() == color.rgb() ? 1 : 0;
        }
    }
    return count;
}

} // namespace

class TestOptionsRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void everyOptionWasChanged_data();
    void everyOptionWasChanged();
    void restartLoadsWhatTheDialogShowed();
    void restartedBoardShowsTheTexts();
    void restartedBoardShowsTheColours_data();
    void restartedBoardShowsTheColours();
    void restartedBoardShowsThePictures_data();
    void restartedBoardShowsThePictures();
    void restartedBoardObeysTheNewKeys_data();
    void restartedBoardObeysTheNewKeys();
    void restartedBoardKeepsNumLockOn();

private:
    void changeEverything(frmOptions* dialog);
    frmScoreBoard* restart();

    QTemporaryDir m_dir;
    SettingsRecord m_defaults;
    SettingsRecord m_shown;
    std::int16_t m_shownSize = 0;
    QString m_homePic;
    QString m_visitorPic;
    QString m_boardPic;
    QString m_sound;
    std::unique_ptr<Startup> m_startup;
    FakeBuzzer* m_buzzer = nullptr;
    FakeKeyboard* m_keyboard = nullptr;
};

void TestOptionsRoundTrip::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_homePic = m_dir.filePath(QStringLiteral("home.png"));
    m_visitorPic = m_dir.filePath(QStringLiteral("visitor.png"));
    m_boardPic = m_dir.filePath(QStringLiteral("board.png"));
    for (auto [path, color] :
         {std::pair{m_homePic, QColor(255, 0, 0)}, std::pair{m_visitorPic, QColor(0, 0, 255)},
          std::pair{m_boardPic, QColor(0, 255, 0)}}) {
        QVERIFY(pixels::filled({40, 30}, color).save(path));
    }
    m_sound = m_dir.filePath(QStringLiteral("horn.wav"));
    QVERIFY(writeWave(m_sound));
    LoadSettings(MemorySettingsStore(), m_defaults, QCoreApplication::applicationDirPath());

    // GIVEN a first start on an empty store, with NumLock off
    m_keyboard = installFakeKeyboard();
    setSettingsStore(std::make_unique<QSettingsStore>(m_dir.path()));
    Settings = SettingsRecord();
    restart();
    QCOMPARE(Settings, m_defaults);

    // WHEN F2 opens the options, every option is changed and OK is pressed
    QTimer::singleShot(0, qApp, [this] {
        auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        changeEverything(dialog);
        m_shown = dialog->staged();
        m_shownSize = dialog->tempSize();
        // A store that cannot be written warns in a box; the test fails rather than wait on it.
        QTimer::singleShot(0, qApp, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const QString text = box->text();
                box->close();
                QFAIL(qPrintable(QStringLiteral("OK warned: ") + text));
            }
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::LeftButton);
        if (dialog->isVisible()) {
            dialog->reject(); // a failed check above must not leave the loop waiting
        }
    });
    QTest::keyClick(m_startup->board()->windowHandle(), Qt::Key_F2);
    QVERIFY(QApplication::activeModalWidget() == nullptr);

    // THEN the dialog's record is in force, and NumLock was switched on once
    QCOMPARE(Settings, m_shown);
    QCOMPARE(m_keyboard->toggles, 1);
    QVERIFY(m_keyboard->on);
}

void TestOptionsRoundTrip::changeEverything(frmOptions* dialog) {
    // Each control is worked on its own page, brought to the front as a click on its tab would.
    auto* tabs = control<QTabWidget>(dialog, "SSTab1");
    const auto child = [dialog, tabs](const char* name) {
        QWidget* widget = control<QWidget>(dialog, name);
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(widget)) {
                tabs->setCurrentIndex(i);
            }
        }
        return widget;
    };
    auto* capture = control<QLineEdit>(dialog, "txtGetKey");

    // Keys: a click on each label, then the new key typed into the capture.
    for (const Rebinding& r : Rebindings) {
        auto* label = qobject_cast<QLabel*>(child(r.labelName));
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(dialog->waitingLabel(), label);
        QTest::keyClick(capture, r.key);
        QVERIFY2(dialog->waitingLabel() == nullptr, r.labelName);
    }
    QTest::mouseClick(child("optKeepOn"), Qt::LeftButton);

    // Colours: each Change button's colour dialog answered with the new colour.
    for (const auto& [button, color] : NewColors) {
        answerNext<QColorDialog>([color](QColorDialog* d) {
            d->setCurrentColor(color);
            d->accept();
        });
        QTest::mouseClick(child(button), Qt::LeftButton);
    }
    auto* width = control<QScrollBar>(dialog, "scrLEDSelectedWidth");
    width->setValue(width->value() == 3 ? 4 : 3);

    // Texts, typed.
    for (auto [name, text] :
         {std::pair{"txtTitleText", "Cup Final"}, std::pair{"txtHomeText", "Ravenmark Rovers"},
          std::pair{"txtVisitorText", "Northern Lights"}}) {
        auto* edit = control<QLineEdit>(dialog, name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QLatin1String(text));
    }

    // Pictures and the buzzer sound: each file dialog answered with a file.
    for (auto [button, path] :
         {std::pair{"cmdChangeHomePic", m_homePic}, std::pair{"cmdChangeVisitorPic", m_visitorPic},
          std::pair{"cmdChangeBoardPic", m_boardPic}, std::pair{"cmdBuzzerSound", m_sound},
          std::pair{"cmdShotClockSound", m_sound}}) {
        answerNext<QFileDialog>([path](QFileDialog* d) {
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept(); // QFileDialog hides its override
        });
        QTest::mouseClick(child(button), Qt::LeftButton);
    }
    auto* digits = control<QComboBox>(dialog, "cmbLedType");
    digits->setCurrentIndex(1 - digits->currentIndex());

    // Other settings.
    for (auto [name, value] :
         {std::pair{"vsShotClock", 24}, std::pair{"vsBonusInner", 4}, std::pair{"vsBonusOuter", 9}}) {
        control<RaisingScrollBar>(dialog, name)->setShownValue(value);
    }
    QTest::mouseClick(child("otnGameHalf"), Qt::LeftButton);

    // League rules, each edited by hand.
    for (auto [name, value] : {std::pair{"spnPeriod", 450}, std::pair{"spnOvertime", 180},
                               std::pair{"spnShortReset", 14}, std::pair{"spnTimeouts", 3}}) {
        control<QSpinBox>(dialog, name)->setValue(value);
    }
    QTest::mouseClick(child("chkFoulsReset"), Qt::LeftButton);
    QTest::mouseClick(child("chkShotClockOff"), Qt::LeftButton);

    // The audience: a projector that reports its model and serial number, opened at start.
    auto* screens = qobject_cast<QComboBox*>(child("cmbScreen"));
    screens->setCurrentIndex(screens->findText(QStringLiteral("HDMI-1"), Qt::MatchStartsWith));
    QTest::mouseClick(child("chkOpenAtStart"), Qt::LeftButton, {}, QPoint(5, 5));
    // The live feed: on, on another port, on the network, which makes its token.
    QTest::mouseClick(child("chkFeedEnabled"), Qt::LeftButton);
    control<QSpinBox>(dialog, "spnFeedPort")->setValue(freeFeedPort());
    QTest::mouseClick(child("optFeedNetwork"), Qt::LeftButton);
}

frmScoreBoard* TestOptionsRoundTrip::restart() {
    // The program ends: its windows go, and with them the record in memory.
    m_startup.reset();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    Settings = SettingsRecord();

    m_startup = std::make_unique<Startup>(QStringList{QStringLiteral("bypass")});
    m_startup->audienceScreens = [] {
        return QList<ScreenInfo>{
            {{QStringLiteral("HDMI-1"), QStringLiteral("EPSON PJ"), QStringLiteral("X4K1")}, {3840, 2160}}};
    };
    givePrivateRecord(*m_startup);
    m_startup->boardEnvironment = [this] {
        BoardEnvironment env;
        m_buzzer = new FakeBuzzer;
        env.buzzer = m_buzzer;
        return env;
    };
    m_startup->start();
    frmScoreBoard* board = m_startup->board();
    if (board != nullptr && !QTest::qWaitForWindowExposed(board)) {
        qWarning("the board was not exposed");
    }
    return board;
}

void TestOptionsRoundTrip::cleanup() {
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
}

void TestOptionsRoundTrip::cleanupTestCase() {
    m_startup.reset();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    setSettingsStore(nullptr);
    setKeyboardBackend(nullptr);
}

void TestOptionsRoundTrip::everyOptionWasChanged_data() {
    QTest::addColumn<int>("index");
    for (const SettingKey& key : settingKeys()) {
        if (!std::holds_alternative<std::monostate>(key.field)) {
            QTest::newRow(key.key) << int(key.id);
        }
    }
}

void TestOptionsRoundTrip::everyOptionWasChanged() {
    // A value left at its default would prove nothing about its way through the store.
    QFETCH(int, index);
    const SettingKey& key = settingKeys()[std::size_t(index)];
    if (key.id == SettingId::League) {
        // The league follows the figures: edited by hand they are "Custom", its default. The presets
        // go through the store in tst_leagues.
        QCOMPARE(m_shown.League, QStringLiteral("Custom"));
        return;
    }
    std::visit(
        [this](auto field) {
            if constexpr (!std::is_same_v<decltype(field), std::monostate>) {
                QVERIFY(m_shown.*field != m_defaults.*field);
            }
        },
        key.field);
}

void TestOptionsRoundTrip::restartLoadsWhatTheDialogShowed() {
    QVERIFY(restart());
    QCOMPARE(Settings, m_shown);
    // The team-name size is the one the dialog measured for the new names.
    QCOMPARE(Settings.TeamSize, Currency::fromInt(m_shownSize));
    QCOMPARE(Settings.TeamSize,
             Currency::fromInt(options::teamNameSize(m_shown.HomeText, m_shown.VisitorText)));
}

void TestOptionsRoundTrip::restartedBoardShowsTheTexts() {
    frmScoreBoard* board = restart();
    QVERIFY(board);
    for (auto [name, text] : {std::pair{"lblTitle", QStringLiteral("Cup Final")},
                              std::pair{"lblHome", QStringLiteral("Ravenmark Rovers")},
                              std::pair{"lblVisitor", QStringLiteral("Northern Lights")},
                              std::pair{"lblPeriod", QStringLiteral("Half")}}) {
        QCOMPARE(board->findChild<QLabel*>(QLatin1String(name))->text(), text);
    }
    QCOMPARE(m_buzzer->fileName(), m_sound);
}

void TestOptionsRoundTrip::restartedBoardShowsTheColours_data() {
    QTest::addColumn<QString>("readout");
    QTest::addColumn<QColor>("lit");
    QTest::newRow("game clock in the time colour") << "clkGame" << NewColors[0].second;
    QTest::newRow("home score in the score colour") << "digHome" << NewColors[3].second;
    QTest::newRow("visitor score in the score colour") << "digVisitor" << NewColors[3].second;
    QTest::newRow("period in the period colour") << "digPeriod" << NewColors[4].second;
}

void TestOptionsRoundTrip::restartedBoardShowsTheColours() {
    QFETCH(QString, readout);
    QFETCH(QColor, lit);
    frmScoreBoard* board = restart();
    QVERIFY(board);
    auto* led = board->findChild<LedReadout*>(readout);
    QVERIFY(led);
    QCOMPARE(led->ledType(), int(m_shown.LEDType));
    // What the audience sees: lit segments in the new colour on the new LED background.
    const QImage pixels = led->grab().toImage();
    QVERIFY2(countPixels(pixels, lit) > 0, "no pixel in the lit colour");
    QVERIFY2(countPixels(pixels, NewColors[5].second) > 0, "no pixel in the LED background colour");
    QCOMPARE(board->palette().color(QPalette::Window), NewColors[6].second);
    QCOMPARE(board->findChild<QLabel*>(QStringLiteral("lblHome"))->palette().color(QPalette::WindowText),
             NewColors[1].second);
    QCOMPARE(board->findChild<QLabel*>(QStringLiteral("lblVisitor"))->palette().color(QPalette::WindowText),
             NewColors[2].second);
}

void TestOptionsRoundTrip::restartedBoardShowsThePictures_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<QColor>("color");
    QTest::newRow("home") << "imgHomePic" << QColor(255, 0, 0);
    QTest::newRow("visitor") << "imgVisitorPic" << QColor(0, 0, 255);
    QTest::newRow("board") << "imgBoardPic" << QColor(0, 255, 0);
}

void TestOptionsRoundTrip::restartedBoardShowsThePictures() {
    QFETCH(QString, element);
    QFETCH(QColor, color);
    frmScoreBoard* board = restart();
    QVERIFY(board);
    auto* image = board->findChild<ImageBox*>(element);
    QVERIFY(image);
    QVERIFY(!image->size().isEmpty());
    const QImage pixels = image->grab().toImage();
    QCOMPARE(pixels.pixelColor(pixels.rect().center()).rgb(), color.rgb());
}

void TestOptionsRoundTrip::restartedBoardObeysTheNewKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("field"); // empty for a command key
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("clockRuns");
    QTest::addColumn<int>("buzzes");
    const auto number = [](const char* name, Qt::Key key, const char* field, int expected) {
        QTest::newRow(name) << int(key) << QString::fromLatin1(field) << expected << false << 0;
    };
    const auto command = [](const char* name, Qt::Key key, bool clockRuns, int buzzes) {
        QTest::newRow(name) << int(key) << QString() << 0 << clockRuns << buzzes;
    };
    // A fresh board: scores and fouls 0, period 1, and the 3 timeouts a game chosen on the League page.
    number("J home +1", Qt::Key_J, "digHome", 1);
    number("K home +2", Qt::Key_K, "digHome", 2);
    number("L home +3", Qt::Key_L, "digHome", 3);
    number("M visitor +1", Qt::Key_M, "digVisitor", 1);
    number("N visitor +2", Qt::Key_N, "digVisitor", 2);
    number("O visitor +3", Qt::Key_O, "digVisitor", 3);
    number("Q home foul +1", Qt::Key_Q, "digFoulsH", 1);
    number("U visitor foul +1", Qt::Key_U, "digFoulsV", 1);
    number("V period +1", Qt::Key_V, "digPeriod", 2);
    number("W home timeout -1", Qt::Key_W, "digTimeoutsH", 2);
    number("X visitor timeout -1", Qt::Key_X, "digTimeoutsV", 2);
    number("E resets the shot clock to 24", Qt::Key_E, "digShotClock", 24);
    // The old keys do nothing now.
    number("Insert no longer home +1", Qt::Key_Insert, "digHome", 0);
    number("Delete no longer visitor +1", Qt::Key_Delete, "digVisitor", 0);
    number("F11 no longer home foul +1", Qt::Key_F11, "digFoulsH", 0);
    number("P no longer period +1", Qt::Key_P, "digPeriod", 1);
    number("F7 no longer home timeout -1", Qt::Key_F7, "digTimeoutsH", 3);
    number("T no longer resets the shot clock", Qt::Key_T, "digShotClock", 0);
    command("A starts the clock", Qt::Key_A, true, 0);
    command("S no longer starts it", Qt::Key_S, false, 0);
    command("I sounds the buzzer", Qt::Key_I, false, 1);
    command("B no longer sounds it", Qt::Key_B, false, 0);
}

void TestOptionsRoundTrip::restartedBoardObeysTheNewKeys() {
    QFETCH(int, key);
    QFETCH(QString, field);
    QFETCH(int, expected);
    QFETCH(bool, clockRuns);
    QFETCH(int, buzzes);
    frmScoreBoard* board = restart();
    QVERIFY(board);
    QTest::keyClick(board->windowHandle(), Qt::Key(key));
    if (!field.isEmpty()) {
        QCOMPARE(board->findChild<DigitPanel*>(field)->caption(), expected);
    }
    QCOMPARE(board->teGame().running(), clockRuns);
    QCOMPARE(m_buzzer->plays, buzzes);
}

void TestOptionsRoundTrip::restartedBoardKeepsNumLockOn() {
    // GIVEN NumLock switched off behind the program's back WHEN it starts again THEN the
    // stored "Keep Numlock On" switches it back on, with one press
    m_keyboard->on = false;
    m_keyboard->toggles = 0;
    QVERIFY(restart());
    QVERIFY(m_keyboard->on);
    QCOMPARE(m_keyboard->toggles, 1);
}

QTEST_MAIN(TestOptionsRoundTrip)
#include "tst_optionsroundtrip.moc"
