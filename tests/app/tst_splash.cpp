#include "app/frmsplash.h"
#include "app/startup.h"
#include "platform/twips.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/privaterecord.h"
#include "support/quitcounter.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

QList<frmScoreBoard*> boards() {
    QList<frmScoreBoard*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* board = qobject_cast<frmScoreBoard*>(widget)) {
            found.append(board);
        }
    }
    return found;
}

// Starts the program as main() does, minus the event loop; the start-up lives until cleanup().
std::vector<std::unique_ptr<Startup>> startups;
frmSplash* startSplash(const QStringList& arguments) {
    startups.push_back(std::make_unique<Startup>(arguments));
    givePrivateRecord(*startups.back());
    startups.back()->start();
    return startups.back()->splash();
}

template <typename T = QWidget> T* child(QWidget* splash, const char* name) {
    return splash->findChild<T*>(QLatin1StringView(name));
}

} // namespace

class TestSplash : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void edges_data();
    void edges();
    void placedOnThePrimaryScreen();
    void versionCaption_data();
    void versionCaption();
    void versionLabelShowsTheProjectVersion();
    void loadReadsTheSettings();
    void bypass_data();
    void bypass();
    void clickGoesOnToTheBoard_data();
    void clickGoesOnToTheBoard();
    void clickStaysOnTheSplash_data();
    void clickStaysOnTheSplash();
    void accessKeysPressTheButtons_data();
    void accessKeysPressTheButtons();
    void goScoreTwiceOpensOneBoard();
    void closingOtherwiseEndsTheProgram();

private:
    QuitCounter m_quits;
    // The Options button opens the modal options dialog; whenever one is up, it is cancelled.
    QTimer m_cancelDialogs;
};

void TestSplash::initTestCase() {
    m_cancelDialogs.setInterval(10);
    m_cancelDialogs.callOnTimeout([] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    });
    m_cancelDialogs.start();
    qApp->installEventFilter(&m_quits);
}

void TestSplash::init() {
    setSettingsStore(std::make_unique<MemorySettingsStore>());
    Settings = SettingsRecord();
    m_quits.count = 0;
}

void TestSplash::cleanup() {
    // Deleting the boards (rather than closing them) keeps them from ending the program.
    qDeleteAll(boards());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmSplash*>(widget)) {
            delete widget;
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    startups.clear();
    setSettingsStore(nullptr);
}

// Where the splash's top and left edges go on a screen of the given height or width, in twips.
void TestSplash::edges_data() {
    QTest::addColumn<bool>("top"); // false: the left edge
    QTest::addColumn<float>("screen");
    QTest::addColumn<float>("expected");

    QTest::newRow("top: 768 px screen") << true << 11520.0f << 2820.0f;
    QTest::newRow("top: screen lower than 5880") << true << 5000.0f << -440.0f;
    QTest::newRow("top: screen exactly 5880") << true << 5880.0f << 0.0f;
    QTest::newRow("top: odd height keeps the half") << true << 5001.0f << -439.5f;
    QTest::newRow("top: 1080 px screen") << true << 16200.0f << 5160.0f;
    QTest::newRow("left: 1280 px screen") << false << 19200.0f << 6480.0f;
    QTest::newRow("left: screen as wide as the splash") << false << 6240.0f << 0.0f;
    QTest::newRow("left: screen narrower than the splash") << false << 6000.0f << -120.0f;
    QTest::newRow("left: odd width keeps the half") << false << 6241.0f << 0.5f;
}

void TestSplash::edges() {
    QFETCH(bool, top);
    QFETCH(float, screen);
    QFETCH(float, expected);
    QCOMPARE(top ? splash::topEdge(screen) : splash::leftEdge(screen, float(splash::Width)), expected);
}

void TestSplash::placedOnThePrimaryScreen() {
    auto* window = startSplash(QStringList());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    QCOMPARE(window->size(), QSize(416, 216));
    // Centred across the 416 px of the window, and down as if it were 392 px (5880 twips) high.
    QCOMPARE(window->pos(),
             screen.topLeft() + QPoint((screen.width() - 416) / 2, (screen.height() - 392) / 2));
    // The window's own height does not centre it: it sits 1320 twips (88 px) above the middle.
    QCOMPARE((screen.height() - window->height()) / 2 - (window->y() - screen.y()), 88);
    QCOMPARE(child(window, "frameSplash")->geometry(), QRect(8, 0, 400, 208));
}

void TestSplash::versionCaption_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("patch");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1.0.6") << 1 << 0 << 6 << "Version 1.0.6";
    QTest::newRow("no leading zeros") << 2 << 10 << 0 << "Version 2.10.0";
    QTest::newRow("large numbers") << 12 << 345 << 6789 << "Version 12.345.6789";
}

void TestSplash::versionCaption() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, patch);
    QFETCH(QString, expected);
    QCOMPARE(splash::versionCaption(major, minor, patch), expected);
}

void TestSplash::versionLabelShowsTheProjectVersion() {
    auto* window = startSplash(QStringList());
    QCOMPARE(
        child<QLabel>(window, "lblVersion")->text(),
        splash::versionCaption(RAVENMARK_VERSION_MAJOR, RAVENMARK_VERSION_MINOR, RAVENMARK_VERSION_PATCH));
}

void TestSplash::loadReadsTheSettings() {
    // GIVEN a stored background colour  WHEN the splash loads  THEN Settings holds it
    auto store = std::make_unique<MemorySettingsStore>();
    store->write("Ravenmark", "ColorSettings", "FormBack", "255");
    setSettingsStore(std::move(store));

    startSplash(QStringList());

    QCOMPARE(Settings.FormBack, 255);
    QCOMPARE(Settings.LEDSelected, 255);
    QCOMPARE(Settings.QScoreH1, std::int16_t{45});
}

void TestSplash::bypass_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("straightToBoard");

    QTest::newRow("bypass") << QStringList{"bypass"} << true;
    QTest::newRow("no arguments") << QStringList{} << false;
    QTest::newRow("Bypass") << QStringList{"Bypass"} << false;
    QTest::newRow("BYPASS") << QStringList{"BYPASS"} << false;
    QTest::newRow("bypass x") << QStringList{"bypass", "x"} << false;
    QTest::newRow("bypass x, one argument") << QStringList{"bypass x"} << false;
    QTest::newRow("bypass twice") << QStringList{"bypass", "bypass"} << false;
    QTest::newRow("blank before bypass") << QStringList{" bypass"} << false;
}

void TestSplash::bypass() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, straightToBoard);

    // WHEN the splash is created with the command line
    QPointer<frmSplash> window = startSplash(arguments);

    // THEN it either shows itself, or goes to the board without ever being shown
    if (straightToBoard) {
        // Never shown: no native window was ever made for it.
        QVERIFY(!window->isVisible());
        QVERIFY(!window->windowHandle());
        QCOMPARE(boards().size(), 1);
        QVERIFY(boards().constFirst()->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
    } else {
        QVERIFY(window->isVisible());
        QVERIFY(boards().isEmpty());
    }
    // Either way the settings were loaded first.
    QCOMPARE(Settings.TimeColor, 33023);
    QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
    QCOMPARE(m_quits.count, 0);
}

void TestSplash::clickGoesOnToTheBoard_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QPoint>("at"); // null: the target's centre

    QTest::newRow("window background") << "frmSplash" << QPoint(3, 100);
    QTest::newRow("frameSplash") << "frameSplash" << QPoint(3, 3);
    QTest::newRow("picLogo") << "picLogo" << QPoint();
    QTest::newRow("lblName") << "lblName" << QPoint();
    QTest::newRow("lblMadeBy") << "lblMadeBy" << QPoint();
    QTest::newRow("lblVersion") << "lblVersion" << QPoint();
    QTest::newRow("lblClick") << "lblClick" << QPoint();
    QTest::newRow("Label1") << "Label1" << QPoint();
    QTest::newRow("Label2") << "Label2" << QPoint();
}

void TestSplash::clickGoesOnToTheBoard() {
    QFETCH(QString, target);
    QFETCH(QPoint, at);

    QPointer<frmSplash> window = startSplash(QStringList());
    QWidget* clicked = window->objectName() == target ? window.data() : child(window, qPrintable(target));
    QVERIFY(clicked);
    QVERIFY(window->childAt(clicked->mapTo(window, at.isNull() ? clicked->rect().center() : at)) ==
            (clicked == window ? nullptr : clicked));

    QTest::mouseClick(clicked, Qt::LeftButton, {}, at);

    QVERIFY(window.isNull() || !window->isVisible());
    QCOMPARE(boards().size(), 1);
    QVERIFY(boards().constFirst()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
    QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
    QCOMPARE(m_quits.count, 0);
}

void TestSplash::clickStaysOnTheSplash_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<Qt::MouseButton>("button");

    QTest::newRow("cmdHelp") << "cmdHelp" << Qt::LeftButton;
    QTest::newRow("cmdOptions") << "cmdOptions" << Qt::LeftButton;
    QTest::newRow("right button on lblName") << "lblName" << Qt::RightButton;
}

void TestSplash::clickStaysOnTheSplash() {
    QFETCH(QString, target);
    QFETCH(Qt::MouseButton, button);

    auto* window = startSplash(QStringList());
    QWidget* clicked = child(window, qPrintable(target));
    QVERIFY(clicked);

    QTest::mouseClick(clicked, button);

    QVERIFY(window->isVisible());
    QVERIFY(boards().isEmpty());
}

void TestSplash::accessKeysPressTheButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<Qt::Key>("key");

    QTest::newRow("Alt+H") << "cmdHelp" << Qt::Key_H;
    QTest::newRow("Alt+O") << "cmdOptions" << Qt::Key_O;
}

void TestSplash::accessKeysPressTheButtons() {
    QFETCH(QString, button);
    QFETCH(Qt::Key, key);

    auto* window = startSplash(QStringList());
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* pushButton = child<QPushButton>(window, qPrintable(button));
    QSignalSpy pressed(pushButton, &QPushButton::clicked);

    QTest::keyClick(window, key, Qt::AltModifier);

    // An access key animates the click: the button goes down now and clicks a moment later.
    QVERIFY(pushButton->isDown());
    QVERIFY(pressed.wait());
    QCOMPARE(pressed.size(), 1);
    QVERIFY(window->isVisible());
    QVERIFY(boards().isEmpty());
}

void TestSplash::goScoreTwiceOpensOneBoard() {
    auto* window = startSplash(QStringList());
    window->GoScore();
    window->GoScore();
    QCOMPARE(boards().size(), 1);
}

void TestSplash::closingOtherwiseEndsTheProgram() {
    // GIVEN the splash on screen  WHEN it is closed without going on (Alt+F4, the window manager)
    QPointer<frmSplash> window = startSplash(QStringList());
    QVERIFY(window->close());

    // THEN the program is asked to end, and no board opens
    QCoreApplication::sendPostedEvents(qApp, QEvent::Quit);
    QCOMPARE(m_quits.count, 1);
    QVERIFY(boards().isEmpty());
}

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
