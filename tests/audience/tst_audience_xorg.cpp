// The audience window on an X server whose second monitor is plugged in and out (Xorg with the
// dummy driver, scripts/with-xorg.sh): full screen on the chosen monitor only, the operator's board
// to the pixel, and never on the operator's screen.
#include "../scoreboard/boardfixture.h"
#include "../support/xorgmonitors.h"
#include "app/startup.h"
#include "audience/audience.h"

#include <QPainter>
#include <QProcess>

using Status = AudienceController::Status;

namespace {

// Every place and screen the audience window was visible on since the watch began.
class Sightings : public QObject {
public:
    explicit Sightings(QWidget& window) : m_window(window) { window.installEventFilter(this); }
    QStringList seen;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type t = event->type();
        if (m_window.isVisible() &&
            (t == QEvent::Show || t == QEvent::Move || t == QEvent::ScreenChangeInternal)) {
            seen << m_window.screen()->name();
        }
        return false;
    }

private:
    QWidget& m_window;
};

// Whether the X server itself has the window on screen.
bool viewable(const QWidget& window) {
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())});
    return info.waitForFinished(5000) && info.readAllStandardOutput().contains("Map State: IsViewable");
}

// What the server shows on a screen, with the rectangles that may differ painted over.
QImage shown(QScreen* screen, const QList<QRect>& masked = {}) {
    QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    for (const QRect& r : masked) {
        painter.fillRect(r, Qt::magenta);
    }
    return image;
}

// The smallest rectangle holding every pixel that differs; empty when none does.
QRect difference(const QImage& a, const QImage& b) {
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

QScreen* screen(const char* name) {
    return xorgmonitors::screenNamed(QLatin1String(name));
}

QScreen* projector() {
    QScreen* plugged = screen("DUMMY1");
    return plugged ? plugged : xorgmonitors::plug(QStringLiteral("DUMMY1"), QSize(1920, 1080));
}

} // namespace

class TestAudienceXorg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void singleScreenOpensOnlyWhenAskedFor();
    void waitsForAScreenThatIsNotThereAtStart();
    void showsTheOperatorsBoardOnTheChosenMonitorOnly();
    void unplugHidesItAndReplugBringsItBack();
    void f4BlacksItOutAndBack();

private:
    void start(const QString& screen);
    AudienceWindow& window() { return m_startup->audience()->window(); }
    Status status() { return m_startup->audience()->controller().status(); }
    void keys(const QList<Qt::Key>& keys) {
        for (Qt::Key k : keys) {
            QTest::keyClick(m_startup->board()->windowHandle(), k);
        }
    }

    ManualClock m_clock; // outlives the game it drives
    std::unique_ptr<Startup> m_startup;
};

void TestAudienceXorg::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(screen("DUMMY0"), "run under scripts/with-xorg.sh");
    QCOMPARE(QGuiApplication::screens().size(), 1);
}

void TestAudienceXorg::cleanup() {
    m_startup.reset();
    qDeleteAll(QApplication::topLevelWidgets());
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    setSettingsStore(nullptr);
}

void TestAudienceXorg::start(const QString& screen) {
    // The operator's board fills the first screen; the audience's is chosen to open with it.
    auto store = std::make_unique<MemorySettingsStore>();
    const QString app = QStringLiteral("Ravenmark");
    store->write(app, QStringLiteral("AudienceSettings"), QStringLiteral("Screen"), screen);
    store->write(app, QStringLiteral("AudienceSettings"), QStringLiteral("OpenAtStart"),
                 QStringLiteral("Yes"));
    setSettingsStore(std::move(store));
    m_startup = std::make_unique<Startup>(QStringList{QStringLiteral("bypass")});
    m_startup->boardEnvironment = [this] {
        BoardEnvironment env;
        env.clock = &m_clock;
        env.buzzer = new FakeBuzzer;
        return env;
    };
    m_startup->start();
    m_startup->board()->setGeometry(::screen("DUMMY0")->geometry());
    QVERIFY(QTest::qWaitForWindowExposed(m_startup->board()));
}

void TestAudienceXorg::singleScreenOpensOnlyWhenAskedFor() {
    // GIVEN the operator's screen as the only one, chosen for the audience
    start(QStringLiteral("DUMMY0"));
    // THEN the audience window does not cover the operator's board by itself
    QVERIFY(!window().isVisible());
    QCOMPARE(status(), Status::Waiting);
    // WHEN the operator asks for it  THEN it covers that screen, and goes again on request
    keys({Qt::Key_F3});
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QCOMPARE(window().geometry(), screen("DUMMY0")->geometry());
    keys({Qt::Key_F3});
    QVERIFY(!window().isVisible());
    QCOMPARE(status(), Status::Off);
}

void TestAudienceXorg::waitsForAScreenThatIsNotThereAtStart() {
    // GIVEN the projector chosen, but not plugged in, when the program starts
    start(QStringLiteral("DUMMY1"));
    QCOMPARE(status(), Status::Waiting);
    QVERIFY(!window().isVisible());
    // WHEN it is plugged in  THEN the window opens on it
    QScreen* beamer = projector();
    QVERIFY(beamer);
    QTRY_COMPARE(status(), Status::On);
    QCOMPARE(window().screen(), beamer);
}

void TestAudienceXorg::showsTheOperatorsBoardOnTheChosenMonitorOnly() {
    // GIVEN a full-HD projector beside the operator's full-HD screen, chosen for the audience
    QScreen* beamer = projector();
    QVERIFY(beamer);
    start(QStringLiteral("DUMMY1"));
    QVERIFY(QTest::qWaitForWindowExposed(&window()));

    // THEN the audience window covers the projector exactly, without a frame, and nothing else
    QCOMPARE(window().screen(), beamer);
    QCOMPARE(window().frameGeometry(), beamer->geometry());
    QVERIFY(window().isFullScreen() && viewable(window()));
    QCOMPARE(status(), Status::On);
    // and the operator keeps the keyboard
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_startup->board()));

    // WHEN the operator scores, fouls, takes a timeout, gives possession, types a player's number
    // and runs the clocks for a moment
    keys({Qt::Key_Home, Qt::Key_PageUp, Qt::Key_Insert, Qt::Key_Delete, Qt::Key_P, Qt::Key_F7, Qt::Key_F12,
          Qt::Key_Left, Qt::Key_T});
    keys(QList<Qt::Key>(8, Qt::Key_F11)); // the visitor's inner bonus light comes on
    keys(QList<Qt::Key>(7, Qt::Key_Tab) << Qt::Key_1 << Qt::Key_2 << Qt::Key_Return);
    keys({Qt::Key_S});
    m_clock.advanceMs(1200);
    keys({Qt::Key_S});

    // THEN the audience's read-outs hold the operator's values
    const QWidget* board = m_startup->board();
    const QWidget* view = window().content();
    for (const auto* panel : board->findChildren<DigitPanel*>()) {
        const auto* same = view->findChild<DigitPanel*>(panel->objectName());
        QVERIFY2(same && same->caption() == panel->caption(), qPrintable(panel->objectName()));
    }
    const auto* clock = board->findChild<ClockPanel*>(QStringLiteral("clkGame"));
    QTRY_VERIFY(clock->caption() < 600);
    QTRY_COMPARE(view->findChild<ClockPanel*>(QStringLiteral("clkGame"))->caption(), clock->caption());
    // and both screens show the same board to the pixel, but for the operator's selection mark and
    // indicator, which the audience does not get
    QVERIFY(!view->findChild<QWidget*>(QStringLiteral("shpObjectSelected"))->isVisible());
    const QList<QRect> own{board->findChild<QWidget*>(QStringLiteral("shpObjectSelected"))->geometry(),
                           m_startup->audience()->indicator().geometry()};
    QTRY_COMPARE(difference(shown(screen("DUMMY0"), own), shown(beamer, own)), QRect());
}

void TestAudienceXorg::unplugHidesItAndReplugBringsItBack() {
    QVERIFY(projector());
    start(QStringLiteral("DUMMY1"));
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    Sightings sightings(window());
    const QRect indicator = m_startup->audience()->indicator().geometry();
    QImage before = shown(screen("DUMMY0"));

    // WHEN the projector's cable is pulled
    QVERIFY(xorgmonitors::unplug(QStringLiteral("DUMMY1")));
    QTest::qWait(300);
    // THEN the window is off the server, was never seen meanwhile, and waits for its screen
    QVERIFY(!window().isVisible() && !viewable(window()));
    QCOMPARE(sightings.seen, QStringList());
    QCOMPARE(status(), Status::Waiting);
    // and the operator's screen shows what it showed, but for the indicator's words
    const QRect words = indicator | m_startup->audience()->indicator().geometry();
    QPainter(&before).fillRect(words, Qt::magenta);
    QCOMPARE(difference(before, shown(screen("DUMMY0"), {words})), QRect());

    // WHEN it is plugged back in  THEN the window is back on it alone, full screen
    QScreen* beamer = projector();
    QVERIFY(beamer);
    QTRY_VERIFY(window().isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QCOMPARE(window().frameGeometry(), beamer->geometry());
    QVERIFY(viewable(window()));
    QCOMPARE(sightings.seen.filter(QStringLiteral("DUMMY0")), QStringList());
    QCOMPARE(status(), Status::On);
}

void TestAudienceXorg::f4BlacksItOutAndBack() {
    QScreen* beamer = projector();
    QVERIFY(beamer);
    start(QStringLiteral("DUMMY1"));
    QVERIFY(QTest::qWaitForWindowExposed(&window()));
    QTest::qWait(100);
    const QImage board = shown(beamer);
    QImage black(board.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(board != black);

    keys({Qt::Key_F4});
    QCOMPARE(status(), Status::BlackedOut);
    QTRY_COMPARE(shown(beamer), black);
    keys({Qt::Key_F4});
    QCOMPARE(status(), Status::On);
    QTRY_COMPARE(shown(beamer), board);
}

QTEST_MAIN(TestAudienceXorg)
#include "tst_audience_xorg.moc"
