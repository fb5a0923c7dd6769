// Two boards on one game: the first runs it from the keyboard, the second only shows it. After
// every step of a scripted game both show the same read-outs, to the pixel.
#include "boardfixture.h"

#include <QImage>

namespace {

// What a key press on the first board does, or time passing with both boards refreshing.
struct Step {
    const char* name;
    const char* focus = nullptr; // the field clicked first, if any
    QList<Qt::Key> keys;
    int advanceMs = 0; // then both boards' refresh, as their timers would
};

// Everything of a board that shows the game rather than the board's own state.
QStringList gameElements(const QWidget& board) {
    QStringList names{"clkGame", "lblPossH", "lblPossV"};
    for (const QWidget* w : board.findChildren<LedReadout*>()) {
        names << w->objectName();
    }
    names.removeDuplicates();
    return names;
}

QImage shot(const QWidget& board, const QString& name) {
    return board.findChild<QWidget*>(name)->grab().toImage();
}

QList<QImage> bonusLights(const QWidget& board) {
    QList<QImage> lights;
    for (auto* shape : board.findChildren<BoardShape*>()) {
        if (shape->objectName().startsWith(u"shpBonus")) {
            lights << shape->grab().toImage();
        }
    }
    return lights;
}

// A second board that only shows the fixture's game, at the same clock, refreshed by hand.
std::unique_ptr<frmScoreBoard> showOnlyBoard(BoardFixture& f, FakeBuzzer* buzzer) {
    BoardEnvironment env;
    env.clock = &f.clock;
    env.buzzer = buzzer;
    env.timeOfDay = [&f] {
        return f.timeOfDay;
    };
    env.twelveHourClock = [] {
        return false;
    };
    env.game = &f.board->game();
    env.showOnly = true;
    auto view = std::make_unique<frmScoreBoard>(nullptr, env);
    view->tmrClock1().stop();
    view->resize(f.board->size());
    view->show();
    return view;
}

} // namespace

class TestTwoBoards : public QObject {
    Q_OBJECT

private slots:
    void secondBoardFollowsTheFirst();
    void runOutShowsOnBothBoardsAtOnce_data();
    void runOutShowsOnBothBoardsAtOnce();
};

void TestTwoBoards::secondBoardFollowsTheFirst() {
    BoardFixture f;
    auto* viewBuzzer = new FakeBuzzer;
    const std::unique_ptr<frmScoreBoard> owned = showOnlyBoard(f, viewBuzzer);
    frmScoreBoard& view = *owned;
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    f.board->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.board.get()));

    // Every quick key, typed entries and clears, possession, the clocks and their run-outs.
    const QList<Step> script{
        {"quick keys",
         nullptr,
         {Qt::Key_Insert, Qt::Key_Home, Qt::Key_PageUp, Qt::Key_Delete, Qt::Key_End, Qt::Key_PageDown,
          Qt::Key_F11, Qt::Key_F12, Qt::Key_P, Qt::Key_F7, Qt::Key_F8}},
        {"team fouls to the bonus", "digFoulsH", {Qt::Key_1, Qt::Key_2, Qt::Key_Return}},
        {"visitor fouls by sign", "digFoulsV", {Qt::Key_Plus, Qt::Key_7}},
        {"typed score", "digVisitor", {Qt::Key_1, Qt::Key_0, Qt::Key_4, Qt::Key_Return}},
        {"player and fouls", "digPlayerFoul", {Qt::Key_2, Qt::Key_3, Qt::Key_Return}},
        {"player's fouls at once", "digFouls", {Qt::Key_4}},
        {"period cleared", "digPeriod", {Qt::Key_Backspace}},
        {"timeouts typed", "digTimeoutsV", {Qt::Key_3}},
        {"possession home", nullptr, {Qt::Key_Left}},
        {"possession visitor", nullptr, {Qt::Key_Right}},
        {"possession none", nullptr, {Qt::Key_Up}},
        {"typed game time", "clkGame", {Qt::Key_0, Qt::Key_Period, Qt::Key_3, Qt::Key_0, Qt::Key_Return}},
        {"start", nullptr, {Qt::Key_S}},
        {"shot clock reset", nullptr, {Qt::Key_T}},
        {"running", nullptr, {}, 12'300},
        {"stop", nullptr, {Qt::Key_S}},
        {"typed shot time", "digShotClock", {Qt::Key_1, Qt::Key_4, Qt::Key_Return}},
        {"start again", nullptr, {Qt::Key_S}},
        {"shot clock runs out", nullptr, {}, 14'100},
        {"shot clock cleared", "digShotClock", {Qt::Key_Backspace}},
        {"time of day", nullptr, {Qt::Key_C}},
        {"time of day shown", nullptr, {}, 100},
        {"game time again", nullptr, {Qt::Key_C}, 100},
        {"game clock runs out", nullptr, {}, 5'000},
        {"game clock reset", nullptr, {Qt::Key_R}},
    };
    const QStringList elements = gameElements(*f.board);
    QVERIFY(elements.size() > 10);
    for (const Step& step : script) {
        if (step.focus) {
            f.focus(step.focus);
        }
        for (Qt::Key key : step.keys) {
            f.key(key);
        }
        if (step.advanceMs > 0) {
            f.clock.advanceMs(step.advanceMs);
            f.board->RefreshTime();
            view.RefreshTime();
        }
        f.buzzer->finish(); // a short horn: over before the next step
        for (const QString& name : elements) {
            QVERIFY2(shot(*f.board, name) == shot(view, name),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(step.name), name)));
        }
        QVERIFY2(bonusLights(*f.board) == bonusLights(view), step.name);
    }
    // The script reached what it meant to: both clocks ran out, the first board sounded each.
    QCOMPARE(f.board->teGame().seconds(), Currency::fromInt(30));
    QCOMPARE(f.field("digPeriod")->caption(), -1);
    QCOMPARE(f.buzzer->plays, 2);
    QCOMPARE(viewBuzzer->plays, 0);

    // The second board takes no keys.
    QTest::keyClick(view.windowHandle(), Qt::Key_Insert);
    QCOMPARE(f.board->game().value(GameField::ScoreHome), 6);
}

void TestTwoBoards::runOutShowsOnBothBoardsAtOnce_data() {
    QTest::addColumn<bool>("operatorsFirst");
    QTest::newRow("the operator's board finds zero first") << true;
    QTest::newRow("the audience's board finds zero first") << false;
}

void TestTwoBoards::runOutShowsOnBothBoardsAtOnce() {
    QFETCH(bool, operatorsFirst);

    // GIVEN both boards showing the game clock's last tenth, running
    BoardFixture f;
    const std::unique_ptr<frmScoreBoard> view = showOnlyBoard(f, new FakeBuzzer);
    f.focus("clkGame");
    for (Qt::Key key :
         {Qt::Key_0, Qt::Key_Period, Qt::Key_0, Qt::Key_0, Qt::Key_3, Qt::Key_Return, Qt::Key_S}) {
        f.key(key);
    }
    f.clock.advanceMs(250);
    f.board->RefreshTime();
    view->RefreshTime();
    auto* boardClock = f.field<ClockPanel>("clkGame");
    auto* viewClock = view->findChild<ClockPanel*>(QStringLiteral("clkGame"));
    QCOMPARE(boardClock->displayText(), QStringLiteral("0.1"));
    QCOMPARE(viewClock->displayText(), QStringLiteral("0.1"));

    // WHEN the clock reaches zero and one board's wake-up finds it there before the other's
    f.clock.advanceMs(50);
    (operatorsFirst ? *f.board : *view).RefreshTime();

    // THEN the clock has stopped, and both show 0.0 without waiting for their next refresh
    QVERIFY(!f.board->teGame().running());
    QCOMPARE(boardClock->displayText(), QStringLiteral("0.0"));
    QCOMPARE(viewClock->displayText(), QStringLiteral("0.0"));
    QCOMPARE(f.buzzer->plays, 1);
}

QTEST_MAIN(TestTwoBoards)
#include "tst_twoboards.moc"
