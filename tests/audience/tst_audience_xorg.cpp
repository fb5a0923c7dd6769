// The audience window on a real X server whose second monitor is plugged in and out (Xorg with
// the dummy driver, scripts/with-xorg.sh): it opens full screen on the chosen monitor only, follows
// that monitor's cable, and never shows on the operator's screen.
#include "../scoreboard/boardfixture.h"
#include "../support/xorgmonitors.h"
#include "app/startup.h"
#include "audience/audience.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QWindow>

using Status = AudienceController::Status;

namespace {

// Where and how the audience window has been seen since the last reset: every moment it was
// visible, on which screen and where.
struct Sighting {
    QString screen;
    QRect geometry;
};

class Watcher : public QObject {
public:
    explicit Watcher(QWidget& window) : m_window(window) { window.installEventFilter(this); }
    QList<Sighting> sightings;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ScreenChangeInternal:
            if (m_window.isVisible()) {
                sightings.append(
                    {m_window.screen() ? m_window.screen()->name() : QString(), m_window.geometry()});
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget& m_window;
};

// Whether the X server has the window mapped, as xwininfo reads it from the server itself.
bool mappedOnServer(const QWidget& window) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())});
    info.waitForFinished(5000);
    return info.readAllStandardOutput().contains("Map State: IsViewable");
}

// The smallest rectangle that holds every pixel that differs.
QRect changedArea(const QImage& a, const QImage& b) {
    QRect area;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                area |= QRect(x, y, 1, 1);
            }
        }
    }
    return area;
}

// What the X server shows on a screen now.
QImage shown(QScreen* screen) {
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestAudienceXorg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void singleScreenOpensOnlyWhenAskedFor();
    void opensFullScreenOnTheChosenMonitorOnly();
    void unplugHidesItAndReplugBringsItBack();
    void f4BlacksItOutAndBack();

private:
    Startup& start(const QString& screen, bool openAtStart);
    Audience& audience() { return *m_startup->audience(); }
    void key(Qt::Key key) { QTest::keyClick(m_startup->board()->windowHandle(), key); }

    std::unique_ptr<Startup> m_startup;
};

void TestAudienceXorg::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(xorgmonitors::screenNamed(QStringLiteral("DUMMY0")), "run under scripts/with-xorg.sh");
    QCOMPARE(QGuiApplication::screens().size(), 1);
}

void TestAudienceXorg::cleanup() {
    m_startup.reset();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    setSettingsStore(nullptr);
}

Startup& TestAudienceXorg::start(const QString& screen, bool openAtStart) {
    auto store = std::make_unique<MemorySettingsStore>();
    const QString app = QStringLiteral("Ravenmark");
    const QString section = QStringLiteral("AudienceSettings");
    store->write(app, section, QStringLiteral("Screen"), screen);
    store->write(app, section, QStringLiteral("OpenAtStart"),
                 openAtStart ? QStringLiteral("Yes") : QStringLiteral("No"));
    setSettingsStore(std::move(store));
    m_startup = std::make_unique<Startup>(QStringList{QStringLiteral("bypass")});
    m_startup->boardEnvironment = [] {
        BoardEnvironment env;
        env.buzzer = new FakeBuzzer;
        return env;
    };
    m_startup->start();
    frmScoreBoard* board = m_startup->board();
    board->setGeometry(xorgmonitors::screenNamed(QStringLiteral("DUMMY0"))->geometry());
    if (!QTest::qWaitForWindowExposed(board)) {
        qWarning("the board was not exposed");
    }
    return *m_startup;
}

void TestAudienceXorg::singleScreenOpensOnlyWhenAskedFor() {
    // GIVEN one screen, the operator's, chosen for the audience and to open at start
    start(QStringLiteral("DUMMY0"), true);
    // THEN the audience window stays closed: it would cover the operator's board
    QVERIFY(!audience().window().isVisible());
    QCOMPARE(audience().controller().status(), Status::Waiting);

    // WHEN the operator asks for it with F3  THEN it covers that screen, on purpose
    key(Qt::Key_F3);
    QVERIFY(QTest::qWaitForWindowExposed(&audience().window()));
    QCOMPARE(audience().window().geometry(), xorgmonitors::screenNamed(QStringLiteral("DUMMY0"))->geometry());
    QCOMPARE(audience().controller().status(), Status::On);

    // WHEN F3 again  THEN it is off
    key(Qt::Key_F3);
    QVERIFY(!audience().window().isVisible());
    QCOMPARE(audience().controller().status(), Status::Off);
}

void TestAudienceXorg::opensFullScreenOnTheChosenMonitorOnly() {
    // GIVEN a projector plugged in beside the operator's screen, chosen for the audience
    QScreen* projector = xorgmonitors::plug(QStringLiteral("DUMMY1"), QSize(1920, 1080));
    QVERIFY(projector);
    QScreen* laptop = xorgmonitors::screenNamed(QStringLiteral("DUMMY0"));

    // WHEN the program starts
    start(QStringLiteral("DUMMY1"), true);
    AudienceWindow& window = audience().window();
    Watcher watcher(window);
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // THEN the audience window covers the projector exactly, frameless, and nothing else
    QCOMPARE(window.screen(), projector);
    QCOMPARE(window.geometry(), projector->geometry());
    QCOMPARE(window.frameGeometry(), projector->geometry());
    QVERIFY(window.isFullScreen());
    QVERIFY(mappedOnServer(window));
    QVERIFY(!laptop->geometry().intersects(window.geometry()));
    QCOMPARE(audience().controller().status(), Status::On);
    // and the operator keeps the keyboard
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_startup->board()));
}

void TestAudienceXorg::unplugHidesItAndReplugBringsItBack() {
    QScreen* laptop = xorgmonitors::screenNamed(QStringLiteral("DUMMY0"));
    if (xorgmonitors::screenNamed(QStringLiteral("DUMMY1")) == nullptr) {
        QVERIFY(xorgmonitors::plug(QStringLiteral("DUMMY1"), QSize(1920, 1080)));
    }
    start(QStringLiteral("DUMMY1"), true);
    AudienceWindow& window = audience().window();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Watcher watcher(window);
    const QRect indicator = audience().indicator().geometry();
    QImage before = shown(laptop);

    // WHEN the projector's cable is pulled
    QVERIFY(xorgmonitors::unplug(QStringLiteral("DUMMY1")));
    QTest::qWait(300);

    // THEN the window is gone from the server and was never seen anywhere meanwhile
    QVERIFY(!window.isVisible());
    QVERIFY(!mappedOnServer(window));
    QVERIFY2(watcher.sightings.isEmpty(), qPrintable(watcher.sightings.value(0).screen));
    QCOMPARE(audience().controller().status(), Status::Waiting);
    // and the operator's screen shows what it showed, but for the indicator's words
    QImage after = shown(laptop);
    const QRect words = indicator.united(audience().indicator().geometry());
    QPainter(&before).fillRect(words, Qt::black);
    QPainter(&after).fillRect(words, Qt::black);
    QCOMPARE(changedArea(before, after), QRect());

    // WHEN it is plugged back in  THEN the window is back on it, full screen
    QScreen* projector = xorgmonitors::plug(QStringLiteral("DUMMY1"), QSize(1920, 1080));
    QVERIFY(projector);
    QTRY_VERIFY(window.isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.screen(), projector);
    QCOMPARE(window.geometry(), projector->geometry());
    QVERIFY(mappedOnServer(window));
    for (const Sighting& s : watcher.sightings) {
        QCOMPARE(s.screen, QStringLiteral("DUMMY1"));
        QVERIFY(projector->geometry().contains(s.geometry));
    }
    QCOMPARE(audience().controller().status(), Status::On);
}

void TestAudienceXorg::f4BlacksItOutAndBack() {
    QScreen* projector = xorgmonitors::screenNamed(QStringLiteral("DUMMY1"));
    if (projector == nullptr) {
        projector = xorgmonitors::plug(QStringLiteral("DUMMY1"), QSize(1920, 1080));
    }
    QVERIFY(projector);
    start(QStringLiteral("DUMMY1"), true);
    QVERIFY(QTest::qWaitForWindowExposed(&audience().window()));
    QTest::qWait(100);
    const QImage board = shown(projector);

    key(Qt::Key_F4);
    QCOMPARE(audience().controller().status(), Status::BlackedOut);
    QImage black(board.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    QTRY_VERIFY(shown(projector) == black);

    key(Qt::Key_F4);
    QCOMPARE(audience().controller().status(), Status::On);
    QTRY_VERIFY(shown(projector) == board);
}

QTEST_MAIN(TestAudienceXorg)
#include "tst_audience_xorg.moc"
