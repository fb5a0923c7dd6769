#include "boardfixture.h"
#include "scoreboard/boarddesign.h"

#include <QSignalSpy>

// One key of a sequence: a Qt key and its modifiers.
struct Stroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
Q_DECLARE_METATYPE(QList<Stroke>)

namespace {
const Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;

// Puts the value a read-out shows in place through the game, as a restore would.
void setShown(const BoardFixture& f, const QString& name, int value) {
    Game& game = f.board->game();
    if (name == u"digShotClock") {
        game.setValue(GameField::ShotClock, value * Currency::Scale, GameCause::Restore);
    }
    for (const boarddesign::NumberField& n : boarddesign::numberFields()) {
        if (name == QLatin1String(n.name)) {
            game.setValue(n.field, value, GameCause::Restore);
        }
    }
}
} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void firstMatchingCommandWins();
    void typedEntry_data();
    void typedEntry();
    void switchingFieldsEmptiesTheEntry();
    void commandKeyThatIsAlsoADigitDoesBoth();
    void onePressOneDispatch_data();
    void onePressOneDispatch();
    void autoRepeat();
    void tabMovesTheSelection();
    void focusStartsOnTheGameClock();
    void selectionMark_data();
    void selectionMark();
    void possession_data();
    void possession();
    void bonusLights_data();
    void bonusLights();
    void captionsFollowSettings();
    void typingTeamFoulsUpdatesBonus();
    void keyWithoutCodeDoesNothing_data();
    void keyWithoutCodeDoesNothing();
    void optionsReturnRefreshesTheBoard();
};

void TestKeyboard::firstMatchingCommandWins() {
    BoardFixture f;
    // Insert is both the buzzer key and the home +1 quick key: only the buzzer sounds.
    Settings.BuzzerKey = 45;
    f.key(Qt::Key_Insert);
    QCOMPARE(f.buzzer->plays, 1);
    QCOMPARE(f.field("digHome")->caption(), 0);
    // The start/stop key before the buzzer key.
    Settings.StartStopClockKey = 45;
    f.key(Qt::Key_Insert);
    QVERIFY(f.board->teGame().running());
    QCOMPARE(f.buzzer->plays, 1);
}

// GIVEN a field at a value WHEN keys are pressed, typed into it or (quick keys) with the focus on the game
// clock THEN its value (and what waits).
void TestKeyboard::typedEntry_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("start");
    QTest::addColumn<QList<Stroke>>("keys");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("waiting");

    const auto typed = [](const char* name, const char* field, int start, const QList<Stroke>& keys,
                          int expected, const char* waiting) {
        QTest::newRow(name) << QString(field) << QString(field) << start << keys << expected
                            << QString(waiting);
    };
    const auto quick = [](const char* name, const char* field, int start, const QList<Stroke>& keys,
                          int expected) {
        QTest::addRow("quick key: %s", name)
            << QString(field) << QStringLiteral("clkGame") << start << keys << expected << QString();
    };

    quick("home +1", "digHome", 0, {{Qt::Key_Insert}}, 1);
    quick("home +2", "digHome", 0, {{Qt::Key_Home}}, 2);
    quick("home +3", "digHome", 0, {{Qt::Key_PageUp}}, 3);
    quick("home 198 +2 refused", "digHome", 198, {{Qt::Key_Home}}, 198);
    quick("home 198 +1", "digHome", 198, {{Qt::Key_Insert}}, 199);
    quick("cleared home +1 is 1", "digHome", -1, {{Qt::Key_Insert}}, 1);
    quick("visitor +1 +2 +3", "digVisitor", 0, {{Qt::Key_Delete}, {Qt::Key_End}, {Qt::Key_PageDown}}, 6);
    quick("timeouts 0 then -1", "digTimeoutsH", 0, {{Qt::Key_F7}}, -1);
    quick("timeouts -1 stays -1", "digTimeoutsH", 0, {{Qt::Key_F7}, {Qt::Key_F7}}, -1);
    quick("visitor timeouts 3 -1", "digTimeoutsV", 3, {{Qt::Key_F8}}, 2);
    quick("period 9 stays", "digPeriod", 9, {{Qt::Key_P}}, 9);
    quick("period 1 +1", "digPeriod", 1, {{Qt::Key_P}}, 2);
    quick("team fouls past typed limit", "digFoulsH", 19, {{Qt::Key_F11}}, 20);
    quick("team fouls to 99", "digFoulsV", 98, {{Qt::Key_F12}}, 99);
    quick("team fouls 99 stays", "digFoulsV", 99, {{Qt::Key_F12}}, 99);
    quick("shift does not matter", "digPeriod", 1, {{Qt::Key_P, Qt::ShiftModifier}}, 2);

    const Stroke enter{Qt::Key_Return};
    const Stroke plus{Qt::Key_Plus, Qt::ShiftModifier};
    const Stroke minus{Qt::Key_Minus};
    typed("12 Enter", "digHome", 5, {{Qt::Key_1}, {Qt::Key_2}, enter}, 12, "");
    typed("nothing until Enter", "digHome", 5, {{Qt::Key_1}, {Qt::Key_2}}, 5, "12");
    typed("200 refused", "digHome", 5, {{Qt::Key_2}, {Qt::Key_0}, {Qt::Key_0}, enter}, 5, "");
    typed("twenty digits refused", "digHome", 5, QList<Stroke>(20, {Qt::Key_9}) << enter, 5, "");
    typed("plus 3 acts at the 3", "digHome", 5, {plus, {Qt::Key_3}}, 8, "");
    typed("plus 1 2 leaves the 2", "digHome", 5, {plus, {Qt::Key_1}, {Qt::Key_2}}, 6, "2");
    typed("1 minus 2 is cleared", "digHome", 1, {minus, {Qt::Key_2}}, -1, "");
    typed("0 minus 2 refused", "digHome", 0, {minus, {Qt::Key_2}}, 0, "");
    typed("minus minus 3 adds", "digHome", 5, {minus, minus, {Qt::Key_3}, enter}, 8, "");
    typed("plus minus 3 subtracts", "digHome", 5, {plus, minus, {Qt::Key_3}, enter}, 2, "");
    typed("plus alone on cleared writes 0", "digHome", -1, {plus, enter}, 0, "");
    typed("1 clear 2 Enter is 12", "digHome", 5, {{Qt::Key_1}, {Qt::Key_Backspace}, {Qt::Key_2}, enter}, 12,
          "");
    typed("clear keeps typing", "digHome", 5, {{Qt::Key_1}, {Qt::Key_Backspace}}, -1, "1");
    typed("Space discards", "digHome", 5, {{Qt::Key_1}, {Qt::Key_Space}, enter}, 5, "");
    typed("Enter alone changes nothing", "digHome", 5, {enter}, 5, "");
    typed("keypad digits and Enter", "digHome", 5,
          {{Qt::Key_1, Keypad}, {Qt::Key_2, Keypad}, {Qt::Key_Enter, Keypad}}, 12, "");
    typed("keypad plus", "digHome", 5, {{Qt::Key_Plus, Keypad}, {Qt::Key_3, Keypad}}, 8, "");
    typed("keypad minus", "digVisitor", 5, {{Qt::Key_Minus, Keypad}, {Qt::Key_3}}, 2, "");
    typed("shifted digit is the digit", "digHome", 5, {{Qt::Key_Exclam, Qt::ShiftModifier}, enter}, 1, "");
    typed("points ignored", "digHome", 5, {{Qt::Key_1}, {Qt::Key_Period}, {Qt::Key_2}, enter}, 12, "");
    typed("period takes a digit at once", "digPeriod", 1, {{Qt::Key_4}}, 4, "");
    typed("period 1 then 2", "digPeriod", 1, {{Qt::Key_1}, {Qt::Key_2}}, 2, "");
    typed("team fouls typed stop at 19", "digFoulsH", 19, {plus, {Qt::Key_1}}, 19, "");
    typed("player 99", "digPlayerFoul", 0, {{Qt::Key_9}, {Qt::Key_9}, enter}, 99, "");
    typed("player 100 refused", "digPlayerFoul", 7, {{Qt::Key_1}, {Qt::Key_0}, {Qt::Key_0}, enter}, 7, "");
    typed("player's fouls take a digit", "digFouls", 0, {{Qt::Key_5}}, 5, "");
    typed("timeouts take a digit", "digTimeoutsV", 0, {{Qt::Key_3, Keypad}}, 3, "");
    typed("clear on a one-digit field", "digTimeoutsH", 4, {{Qt::Key_Backspace}}, -1, "");
}

void TestKeyboard::typedEntry() {
    QFETCH(QString, field);
    QFETCH(QString, focus);
    QFETCH(int, start);
    QFETCH(QList<Stroke>, keys);
    QFETCH(int, expected);
    QFETCH(QString, waiting);
    BoardFixture f;
    DigitPanel* panel = f.field(qPrintable(field));
    setShown(f, field, start);
    f.focus(qPrintable(focus));
    for (const Stroke& s : keys) {
        f.key(s.key, s.modifiers);
    }
    QCOMPARE(panel->caption(), expected);
    QCOMPARE(f.board->typedEntry().entryText(), waiting);
}

void TestKeyboard::switchingFieldsEmptiesTheEntry() {
    BoardFixture f;
    f.focus("digHome");
    f.key(Qt::Key_1);
    f.focus("digVisitor");
    f.key(Qt::Key_Return);
    QCOMPARE(f.field("digHome")->caption(), 0);
    QCOMPARE(f.field("digVisitor")->caption(), 0);
}

void TestKeyboard::commandKeyThatIsAlsoADigitDoesBoth() {
    BoardFixture f;
    Settings.BuzzerKey = '1';
    f.focus("digHome");
    f.key(Qt::Key_1);
    f.key(Qt::Key_Return);
    QCOMPARE(f.buzzer->plays, 1);
    QCOMPARE(f.field("digHome")->caption(), 1);
}

// Wherever the focus is, Insert adds exactly one point and S toggles the clock once.
void TestKeyboard::onePressOneDispatch_data() {
    QTest::addColumn<QString>("focus");
    for (const char* name :
         {"clkGame", "digHome", "digVisitor", "digShotClock", "digPeriod", "digFoulsH", "picHomeContainer",
          "picVisitorContainer", "picHomePicContainer", "picVisitorPicContainer", "picBoardPicContainer"}) {
        QTest::newRow(name) << name;
    }
}

void TestKeyboard::onePressOneDispatch() {
    QFETCH(QString, focus);
    BoardFixture f;
    f.focus(qPrintable(focus));
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    f.key(Qt::Key_Insert);
    QCOMPARE(f.field("digHome")->caption(), 1);
    f.key(Qt::Key_S);
    QVERIFY(f.board->teGame().running());
    QVERIFY(f.board->teShotClock().running());
    f.key(Qt::Key_B);
    QCOMPARE(f.buzzer->plays, 1);
}

void TestKeyboard::autoRepeat() {
    BoardFixture f;
    QWindow* window = f.board->windowHandle();
    // Held Insert: every repeated press is a new command.
    QTest::sendKeyEvent(QTest::Press, window, Qt::Key_Insert, QString(), Qt::NoModifier);
    for (int i = 0; i < 3; ++i) {
        QTest::sendKeyEvent(QTest::Release, window, Qt::Key_Insert, QString(), Qt::NoModifier);
        QTest::simulateEvent(window, true, Qt::Key_Insert, Qt::NoModifier, QString(), true);
    }
    QTest::sendKeyEvent(QTest::Release, window, Qt::Key_Insert, QString(), Qt::NoModifier);
    QCOMPARE(f.field("digHome")->caption(), 4);

    // Held Left arrow: the repeat's releases don't count; the real release toggles once.
    QTest::sendKeyEvent(QTest::Press, window, Qt::Key_Left, QString(), Qt::NoModifier);
    for (int i = 0; i < 3; ++i) {
        QTest::simulateEvent(window, false, Qt::Key_Left, Qt::NoModifier, QString(), true);
        QTest::simulateEvent(window, true, Qt::Key_Left, Qt::NoModifier, QString(), true);
    }
    QCOMPARE(f.board->WhoPoss(), Possession::None);
    QTest::sendKeyEvent(QTest::Release, window, Qt::Key_Left, QString(), Qt::NoModifier);
    QCOMPARE(f.board->WhoPoss(), Possession::Home);
}

void TestKeyboard::tabMovesTheSelection() {
    BoardFixture f;
    const QList<QWidget*> order = f.board->tabOrder();
    QCOMPARE(QApplication::focusWidget(), order.front());
    for (qsizetype i = 1; i < order.size(); ++i) {
        f.key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]->objectName());
    }
    f.key(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), order.front());
    f.key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), order.back());
    // Tab types nothing and changes no value.
    QCOMPARE(f.field("digFoulsV")->caption(), 0);
}

void TestKeyboard::focusStartsOnTheGameClock() {
    BoardFixture f;
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("clkGame"));
    QWidget* mark = f.widget("shpObjectSelected");
    QVERIFY(mark->isVisible());
    QVERIFY(mark->geometry().contains(f.widget("clkGame")->geometry()));
    const QStringList expected{"clkGame",    "digHome",      "digShotClock", "digPeriod",
                               "digVisitor", "digFoulsH",    "digTimeoutsH", "digPlayerFoul",
                               "digFouls",   "digTimeoutsV", "digFoulsV"};
    QStringList names;
    for (QWidget* w : f.board->tabOrder()) {
        names << w->objectName();
    }
    QCOMPARE(names, expected);
}

// The mark stands out by the width on every side and one pixel more right and below.
void TestKeyboard::selectionMark_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("outset");
    QTest::newRow("width 0") << 0 << true << 0;
    QTest::newRow("width 3") << 3 << true << 3;
    QTest::newRow("width 5") << 5 << true << 5;
    QTest::newRow("too wide for 16 bits stays hidden") << 2185 << false << 0;
}

void TestKeyboard::selectionMark() {
    QFETCH(int, width);
    QFETCH(bool, visible);
    QFETCH(int, outset);
    BoardFixture f;
    Settings.LEDSelectedWidth = std::int16_t(width);
    f.focus("digVisitor");
    QWidget* mark = f.widget("shpObjectSelected");
    QCOMPARE(mark->isVisible(), visible);
    if (visible) {
        const QRect field = f.widget("digVisitor")->geometry();
        QCOMPARE(mark->geometry(), field.adjusted(-outset, -outset, outset + 1, outset + 1));
    }
    // Selecting never changes a value; clicking a caption takes no focus.
    QCOMPARE(f.field("digVisitor")->caption(), 0);
    QTest::mouseClick(f.widget("lblBonusH"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("digVisitor"));
    // No field: the mark hides quietly.
    f.board->ObjectSelected(nullptr);
    QVERIFY(!mark->isVisible());
    // The window coming back to the front is no new selection.
    QFocusEvent reactivated(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(f.widget("digVisitor"), &reactivated);
    QVERIFY(!mark->isVisible());
}

// Actions: H click home arrow, V click visitor arrow, W double-click home arrow (as the
// window system sends it), L/R/U/D arrow keys.
void TestKeyboard::possession_data() {
    QTest::addColumn<QString>("actions");
    QTest::addColumn<int>("who");
    QTest::newRow("home arrow") << "H" << 1;
    QTest::newRow("home arrow twice") << "HH" << 0;
    QTest::newRow("home then visitor") << "HV" << 2;
    QTest::newRow("visitor twice") << "VV" << 0;
    QTest::newRow("left key") << "L" << 1;
    QTest::newRow("right key") << "R" << 2;
    QTest::newRow("left then right") << "LR" << 2;
    QTest::newRow("up clears") << "HU" << 0;
    QTest::newRow("down clears") << "RD" << 0;
    QTest::newRow("up on none") << "U" << 0;
    QTest::newRow("right button does nothing") << "Hh" << 1;
    QTest::newRow("double-click is one click") << "W" << 1;
    QTest::newRow("double-click after a click") << "VW" << 1;
}

void TestKeyboard::possession() {
    QFETCH(QString, actions);
    QFETCH(int, who);
    BoardFixture f;
    const QMap<QChar, Qt::Key> arrows{
        {u'L', Qt::Key_Left}, {u'R', Qt::Key_Right}, {u'U', Qt::Key_Up}, {u'D', Qt::Key_Down}};
    for (QChar a : actions) {
        switch (a.unicode()) {
        case 'H':
            QTest::mouseClick(f.widget("lblPossH"), Qt::LeftButton);
            break;
        case 'V':
            QTest::mouseClick(f.widget("lblPossV"), Qt::LeftButton);
            break;
        case 'h':
            QTest::mouseClick(f.widget("lblPossH"), Qt::RightButton);
            break;
        case 'W': {
            QWidget* arrow = f.widget("lblPossH");
            const QPoint centre = arrow->mapTo(f.board.get(), arrow->rect().center());
            QTest::mouseDClick(f.board->windowHandle(), Qt::LeftButton, {}, centre);
            break;
        }
        default:
            f.key(arrows.value(a));
        }
    }
    QCOMPARE(int(f.board->WhoPoss()), who);
    const QColor lit = rgbcolor::toQColor(Settings.TimeColor);
    const QColor dark = rgbcolor::toQColor(Settings.LEDBack);
    const auto colour = [&](const char* name) {
        return f.widget(name)->palette().color(QPalette::WindowText);
    };
    QCOMPARE(colour("lblPossH"), who == 1 ? lit : dark);
    QCOMPARE(colour("lblPossV"), who == 2 ? lit : dark);
}

// Lights as "HiHoViVo" flags: home inner/outer, visitor inner/outer.
void TestKeyboard::bonusLights_data() {
    QTest::addColumn<int>("homeFouls");
    QTest::addColumn<int>("visitorFouls");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("outer");
    QTest::addColumn<QString>("lit");
    QTest::newRow("none") << 0 << 0 << 7 << 10 << "0000";
    QTest::newRow("home 7 lights visitor inner") << 7 << 0 << 7 << 10 << "0010";
    QTest::newRow("home 10 lights both visitor") << 10 << 0 << 7 << 10 << "0011";
    QTest::newRow("visitor 8 lights home inner") << 0 << 8 << 7 << 10 << "1000";
    QTest::newRow("both past outer") << 12 << 15 << 7 << 10 << "1111";
    QTest::newRow("cleared is -1 not 0") << -1 << -1 << 0 << 0 << "0000";
    QTest::newRow("zero fouls reach threshold 0") << 0 << 0 << 0 << 10 << "1010";
    QTest::newRow("thresholds independent") << 5 << 0 << 9 << 4 << "0001";
    QTest::newRow("negative threshold") << -1 << 0 << -1 << 30 << "1010";
}

void TestKeyboard::bonusLights() {
    QFETCH(int, homeFouls);
    QFETCH(int, visitorFouls);
    QFETCH(int, inner);
    QFETCH(int, outer);
    QFETCH(QString, lit);
    BoardFixture f;
    Settings.BonusInner = std::int16_t(inner);
    Settings.BonusOuter = std::int16_t(outer);
    setShown(f, "digFoulsH", homeFouls);
    setShown(f, "digFoulsV", visitorFouls);
    f.board->UpdateBonus();
    QList<BoardShape*> home;
    QList<BoardShape*> visitor;
    for (BoardShape* s : f.board->findChildren<BoardShape*>()) {
        if (s->objectName() == QLatin1String("shpBonusH")) {
            home.insert(s->property("Index").toInt() == 0 ? 0 : home.size(), s);
        } else if (s->objectName() == QLatin1String("shpBonusV")) {
            visitor.insert(s->property("Index").toInt() == 0 ? 0 : visitor.size(), s);
        }
    }
    QCOMPARE(home.size(), 2);
    QCOMPARE(visitor.size(), 2);
    const QColor on = rgbcolor::toQColor(Settings.ScoreColor);
    const QColor off = rgbcolor::toQColor(Settings.FormBack);
    const QList<BoardShape*> lights{home[0], home[1], visitor[0], visitor[1]};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(lights[i]->fillColor(), lit[i] == u'1' ? on : off);
        QCOMPARE(lights[i]->lit(), lit[i] == u'1');
        QCOMPARE(lights[i]->borderColor(), rgbcolor::toQColor(Settings.LEDBack));
    }
}

void TestKeyboard::captionsFollowSettings() {
    BoardFixture f;
    Settings.TitleText = QStringLiteral("City Final");
    Settings.HomeText = QStringLiteral("A very long home team name indeed");
    Settings.VisitorText = QString();
    Settings.GamePeriod = 1;
    f.board->UpdateLabels();
    const auto label = [&](const char* name) {
        return f.board->findChild<QLabel*>(QLatin1String(name));
    };
    QCOMPARE(label("lblTitle")->text(), QStringLiteral("City Final"));
    QCOMPARE(label("lblPeriod")->text(), QStringLiteral("Half"));
    // A name wider than its box is still centred on it.
    QLabel* home = label("lblHome");
    QWidget* box = f.widget("picHomeContainer");
    QVERIFY(home->width() > box->width());
    QVERIFY(home->x() < 0);
    QVERIFY(qAbs(home->geometry().center().x() - box->rect().center().x()) <= 1);
    QVERIFY(qAbs(home->geometry().center().y() - box->rect().center().y()) <= 1);
    Settings.GamePeriod = 0;
    f.board->UpdateLabels();
    QCOMPARE(label("lblPeriod")->text(), QStringLiteral("Period"));
}

void TestKeyboard::typingTeamFoulsUpdatesBonus() {
    BoardFixture f;
    f.focus("digFoulsH");
    f.key(Qt::Key_8);
    f.key(Qt::Key_Return);
    const auto lights = f.board->findChildren<BoardShape*>(QStringLiteral("shpBonusV"));
    QCOMPARE(lights.size(), 2);
    for (BoardShape* light : lights) {
        QCOMPARE(light->lit(), light->property("Index").toInt() == 0);
    }
    f.focus("digFoulsV");
    f.key(Qt::Key_Backspace);
    for (BoardShape* light : f.board->findChildren<BoardShape*>(QStringLiteral("shpBonusH"))) {
        QVERIFY(!light->lit());
    }
}

void TestKeyboard::keyWithoutCodeDoesNothing_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("score") << "digHome";
    QTest::newRow("shot clock") << "digShotClock";
}

// Keys the board has no code for must not match a garbled stored key of -1.
void TestKeyboard::keyWithoutCodeDoesNothing() {
    QFETCH(QString, field);
    BoardFixture f;
    Settings.ClearKey = -1;
    Settings.StartStopClockKey = -1;
    DigitPanel* panel = f.field(qPrintable(field));
    setShown(f, field, 5);
    f.focus(qPrintable(field));
    f.key(Qt::Key_VolumeUp);
    QCOMPARE(panel->caption(), 5);
    QVERIFY(!f.board->teGame().running());
}

void TestKeyboard::optionsReturnRefreshesTheBoard() {
    BoardFixture f;
    Settings.TitleText = QStringLiteral("Finals");
    Settings.GamePeriod = 1;
    Settings.FormBack = 0x102030;
    f.board->teGame().setSeconds(Currency::fromUnits(599000));
    f.key(Qt::Key_F2);
    QCOMPARE(f.board->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Finals"));
    QCOMPARE(f.board->findChild<QLabel*>(QStringLiteral("lblPeriod"))->text(), QStringLiteral("Half"));
    QCOMPARE(f.board->palette().color(QPalette::Window), rgbcolor::toQColor(0x102030));
    QCOMPARE(f.field<ClockPanel>("clkGame")->timeFormat(), QStringLiteral("1,.1"));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
