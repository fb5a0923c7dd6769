#include "optionsfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

// Rebinding keys: clicking a key label and pressing a key, with refused keys, cancelled
// and abandoned captures.
class TestOptionsCapture : public QObject {
    Q_OBJECT

private slots:
    void defaultCaptions_data();
    void defaultCaptions();
    void capture_data();
    void capture();
    void storedCodeWithoutNameShowsNothing();
    void rebindWithRealKeyEvents();
};

void TestOptionsCapture::defaultCaptions_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    const std::pair<const char*, const char*> rows[] = {
        {"lblKeyStartStopClock", "S"}, {"lblKeyResetClock", "R"},    {"lblKeyResetShotClock", "T"},
        {"lblKeyClockSwitch", "C"},    {"lblKeyClear", "Backspace"}, {"lblKeyBuzzer", "B"},
        {"lblKeyHS1", "Insert"},       {"lblKeyHS2", "Home"},        {"lblKeyHS3", "Page Up"},
        {"lblKeyVS1", "Delete"},       {"lblKeyVS2", "End"},         {"lblKeyVS3", "Page Down"},
        {"lblKeyHF1", "F11"},          {"lblKeyVF1", "F12"},         {"lblKeyTolH1", "F7"},
        {"lblKeyTolV1", "F8"},         {"lblKeyPeriod1", "P"},
    };
    for (const auto& [label, caption] : rows) {
        QTest::newRow(label) << label << caption;
    }
}

void TestOptionsCapture::defaultCaptions() {
    QFETCH(QString, label);
    QFETCH(QString, caption);
    OptionsFixture f;
    QCOMPARE(f.label(label)->text(), caption);
    QVERIFY(!f.waitingColour(label));
}

// A capture script: "click L" clicks key label L; "key K" presses K in the capture field;
// "page N" clicks tab N; "button" clicks Reset Keys (answered No), which takes the focus;
// "expect L|caption|tag|waiting" checks label L.
void TestOptionsCapture::capture_data() {
    QTest::addColumn<QStringList>("script");
    const auto row = [](const char* name, QStringList script) {
        QTest::newRow(name) << script;
    };

    for (const char* refused : {"F1", "F2", "F10", "5", "Numpad5", "Left", "Space", "Enter"}) {
        row(qPrintable(QStringLiteral("%1 refused").arg(QLatin1String(refused))),
            {"click lblKeyBuzzer", QStringLiteral("key %1").arg(QLatin1String(refused)),
             "expect lblKeyBuzzer|Choose another|66|yes"});
    }
    row("key owned by another label refused",
        {"click lblKeyBuzzer", "key S", "expect lblKeyBuzzer|Choose another|66|yes",
         "expect lblKeyStartStopClock|S|83|no"});
    row("label's own key accepted",
        {"click lblKeyStartStopClock", "key S", "expect lblKeyStartStopClock|S|83|no"});
    row("free key binds", {"click lblKeyBuzzer", "key Q", "expect lblKeyBuzzer|Q|81|no"});
    row("Shift then Q binds Q",
        {"click lblKeyBuzzer", "key Shift", "expect lblKeyBuzzer|Choose another|66|yes", "key Shift+Q",
         "expect lblKeyBuzzer|Q|81|no"});
    row("Ctrl alone binds Ctrl", {"click lblKeyBuzzer", "key Ctrl", "expect lblKeyBuzzer|Ctrl|17|no"});
    row("quote key shows a double quote",
        {"click lblKeyClear", "key Apostrophe", "expect lblKeyClear|\"|222|no"});
    row("second click cancels",
        {"click lblKeyBuzzer", "expect lblKeyBuzzer|<Press any key>|66|yes", "click lblKeyBuzzer",
         "expect lblKeyBuzzer|B|66|no", "key Q", "expect lblKeyBuzzer|B|66|no"});
    row("click on another label moves the wait",
        {"click lblKeyBuzzer", "click lblKeyClear", "expect lblKeyBuzzer|B|66|no",
         "expect lblKeyClear|<Press any key>|8|yes", "key Q", "expect lblKeyClear|Q|81|no",
         "expect lblKeyBuzzer|B|66|no"});
    row("refused then free key binds",
        {"click lblKeyBuzzer", "key F1", "key Q", "expect lblKeyBuzzer|Q|81|no"});
    row("refused then click restores the old key",
        {"click lblKeyBuzzer", "key 5", "click lblKeyBuzzer", "expect lblKeyBuzzer|B|66|no"});
    row("button taking the focus abandons",
        {"click lblKeyBuzzer", "key F1", "button", "expect lblKeyBuzzer|B|66|no", "key Q",
         "expect lblKeyBuzzer|B|66|no"});
    row("page tab taking the focus abandons", {"click lblKeyBuzzer", "page 2", "expect lblKeyBuzzer|B|66|no",
                                               "key Q", "expect lblKeyBuzzer|B|66|no"});
    row("Tab abandons", {"click lblKeyBuzzer", "key Tab", "expect lblKeyBuzzer|B|66|no"});
    row("capture on the Quick Keys page",
        {"page 1", "click lblKeyHS1", "expect lblKeyHS1|<Press any key>|45|yes", "key Q",
         "expect lblKeyHS1|Q|81|no"});
    row("quick key taken by a main key refused",
        {"page 1", "click lblKeyPeriod1", "key R", "expect lblKeyPeriod1|Choose another|80|yes"});
    row("main key taken by a quick key refused",
        {"click lblKeyBuzzer", "key Insert", "expect lblKeyBuzzer|Choose another|66|yes"});
    // Alt with the letters of OK's and Cancel's mnemonics: the key asked for, not the button.
    row("Alt+O binds O", {"click lblKeyBuzzer", "key Alt+O", "expect lblKeyBuzzer|O|79|no"});
    row("Alt+C refused as another action's key",
        {"click lblKeyBuzzer", "key Alt+C", "expect lblKeyBuzzer|Choose another|66|yes"});
    // Keys with no code at all have no name either; they must not end the wait.
    for (const char* unnamed : {"VolumeUp", "MediaPlay"}) {
        row(qPrintable(QStringLiteral("%1 refused, still waiting").arg(QLatin1String(unnamed))),
            {"click lblKeyBuzzer", QStringLiteral("key %1").arg(QLatin1String(unnamed)),
             "expect lblKeyBuzzer|Choose another|66|yes", "key Q", "expect lblKeyBuzzer|Q|81|no"});
    }
}

void TestOptionsCapture::capture() {
    QFETCH(QStringList, script);
    OptionsFixture f;
    QVERIFY(f.showActive());
    auto* capture = f.child<QLineEdit>(QStringLiteral("txtGetKey"));
    auto* tabs = f.child<QTabWidget>(QStringLiteral("SSTab1"));

    const QMap<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys{
        {"F1", {Qt::Key_F1, {}}},
        {"F2", {Qt::Key_F2, {}}},
        {"F10", {Qt::Key_F10, {}}},
        {"5", {Qt::Key_5, {}}},
        {"Numpad5", {Qt::Key_5, Qt::KeypadModifier}},
        {"Left", {Qt::Key_Left, {}}},
        {"Space", {Qt::Key_Space, {}}},
        {"Enter", {Qt::Key_Return, {}}},
        {"S", {Qt::Key_S, {}}},
        {"Q", {Qt::Key_Q, {}}},
        {"R", {Qt::Key_R, {}}},
        {"Insert", {Qt::Key_Insert, {}}},
        {"Shift", {Qt::Key_Shift, Qt::ShiftModifier}},
        {"Shift+Q", {Qt::Key_Q, Qt::ShiftModifier}},
        {"Ctrl", {Qt::Key_Control, Qt::ControlModifier}},
        {"Apostrophe", {Qt::Key_Apostrophe, {}}},
        {"Tab", {Qt::Key_Tab, {}}},
        {"Alt+O", {Qt::Key_O, Qt::AltModifier}},
        {"Alt+C", {Qt::Key_C, Qt::AltModifier}},
        {"VolumeUp", {Qt::Key_VolumeUp, {}}},
        {"MediaPlay", {Qt::Key_MediaPlay, {}}},
    };

    for (const QString& step : script) {
        const QString verb = step.section(QLatin1Char(' '), 0, 0);
        const QString arg = step.section(QLatin1Char(' '), 1);
        if (verb == u"click") {
            QLabel* label = f.label(arg);
            QVERIFY2(label != nullptr, qPrintable(arg));
            QTest::mouseClick(label, Qt::LeftButton);
        } else if (verb == u"key") {
            QVERIFY2(keys.contains(arg), qPrintable(arg));
            // Keys go wherever the focus is, as the operator's would.
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target != nullptr);
            QTest::keyClick(target, keys[arg].first, keys[arg].second);
        } else if (verb == u"page") {
            QTabBar* bar = tabs->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(arg.toInt()).center());
            QCOMPARE(tabs->currentIndex(), arg.toInt());
        } else if (verb == u"button") {
            f.messages.setNextAnswer(false);
            QTest::mouseClick(f.child<QPushButton>(QStringLiteral("cmdResetKeys")), Qt::LeftButton);
        } else if (verb == u"expect") {
            const QStringList parts = arg.split(QLatin1Char('|'));
            QCOMPARE(f.label(parts[0])->text(), parts[1]);
            QCOMPARE(f.tag(parts[0]), parts[2].toInt());
            const bool waiting = parts[3] == u"yes";
            QCOMPARE(f.waitingColour(parts[0]), waiting);
            QCOMPARE(f.dialog->waitingLabel() == f.label(parts[0]), waiting);
            if (waiting) {
                QCOMPARE(QApplication::focusWidget(), capture);
            }
        } else {
            QFAIL(qPrintable(step));
        }
    }
    // Whatever happened, the capture field never shows what was typed, and no key closed the dialog.
    QVERIFY(capture->text().isEmpty());
    QVERIFY(f.dialog->isVisible());
    QVERIFY(f.commits.isEmpty());
}

void TestOptionsCapture::storedCodeWithoutNameShowsNothing() {
    SettingsRecord record = OptionsFixture::defaults();
    record.BuzzerKey = 121; // F10, only possible from stored data
    OptionsFixture f(record);
    QCOMPARE(f.label(QStringLiteral("lblKeyBuzzer"))->text(), QString());
    QCOMPARE(f.dialog->IsKeyInUse(121), QStringLiteral("lblKeyBuzzer"));
    QCOMPARE(f.dialog->IsKeyInUse(999), QStringLiteral("None"));
    // OK keeps the stored code rather than losing it.
    QCOMPARE(f.dialog->staged().BuzzerKey, 121);
}

void TestOptionsCapture::rebindWithRealKeyEvents() {
    // GIVEN the dialog on screen with the buzzer label waiting.
    OptionsFixture f;
    QVERIFY(f.showActive());
    QWindow* window = f.dialog->windowHandle();
    QTest::mouseClick(f.label(QStringLiteral("lblKeyBuzzer")), Qt::LeftButton);

    // WHEN the operator presses F1 (refused), then J, then Enter on the focused OK.
    QTest::keyClick(window, Qt::Key_F1);
    QCOMPARE(f.label(QStringLiteral("lblKeyBuzzer"))->text(), QStringLiteral("Choose another"));
    QTest::keyClick(window, Qt::Key_J);
    QCOMPARE(f.label(QStringLiteral("lblKeyBuzzer"))->text(), QStringLiteral("J"));
    f.child<QPushButton>(QStringLiteral("cmdOk"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);

    // THEN the new key reaches the commit, and only that key changed.
    QCOMPARE(f.commits.size(), 1);
    SettingsRecord expected = OptionsFixture::defaults();
    expected.BuzzerKey = 74;
    QCOMPARE(f.commits.first(), expected);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestOptionsCapture)
#include "tst_optionscapture.moc"
