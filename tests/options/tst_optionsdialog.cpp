#include "components/dotpanel.h"
#include "components/imagebox.h"
#include "optionsfixture.h"
#include "platform/rgbcolor.h"
#include "platform/sounddevice.h"
#include "support/fakes.h"
#include "support/logcapture.h"
#include "support/pixels.h"
#include "support/testfiles.h"

#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <optional>

using namespace Qt::StringLiterals;

// The dialog as a whole: what OK hands over, the resets, the choosers, and what the pages show.
class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void okOnDefaultsGivesDefaults();
    void okWithEveryValueChanged();
    void failedSaveIsReportedAndKept();
    void escapeCancels();
    void resetThenCancelCommitsNothing();
    void resetAnsweredNo_data();
    void resetAnsweredNo();
    void resetAnsweredYes();
    void teamSizeRule_data();
    void teamSizeRule();
    void storedValuesClamped_data();
    void storedValuesClamped();
    void upperArrowRaises_data();
    void upperArrowRaises();
    void everyOpeningStartsFresh();
    void choosersThatChangeNothing();
    void pictureChooser();
    void unreadablePictureChangesNothing_data();
    void unreadablePictureChangesNothing();
    void soundChooser();
    void feedTokenIsMadeOnceAndRenewed();
    void pagesRender();

private:
    QTemporaryDir m_dir;
    std::optional<LogCapture> m_log;
    QString writeFile(const QString& name, const QByteArray& bytes);
    QString writePicture(const QString& name, QSize size, const QColor& color);
    QString writeWave(const QString& name);
};

namespace {

// Checked from the other side than the dialog's search: both names fit at `size` (or it is the
// smallest size, which is taken when nothing fits), and not both at one point more.
bool isLargestThatFits(int size, const QString& home, const QString& visitor) {
    const auto bothFit = [&](int points) {
        for (const QString& name : {home, visitor}) {
            const QSize extent = options::nameExtentTwips(options::teamNameFont(points), name);
            if (extent.width() >= options::NameWidthLimit || extent.height() >= options::NameHeightLimit) {
                return false;
            }
        }
        return true;
    };
    return (size == options::SmallestNameSize || bothFit(size)) &&
           (size == options::LargestNameSize || !bothFit(size + 1));
}

ImageBox* preview(const OptionsFixture& f, const char* name) {
    return f.child<ImageBox>(QLatin1String(name));
}

// The frame of a picture preview as the operator sees it, the picture within.
QImage previewShot(const OptionsFixture& f, const char* stem) {
    return f.child(QStringLiteral("pic%1PicPreviewCon").arg(QLatin1String(stem)))->grab().toImage();
}

QColor previewCentre(const OptionsFixture& f, const char* stem) {
    const QImage shot = previewShot(f, stem);
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

void click(const OptionsFixture& f, const char* button) {
    f.child<QPushButton>(QLatin1String(button))->click();
}

// The three reset buttons, each answered Yes.
void resetAll(OptionsFixture& f) {
    for (const char* button : {"cmdResetKeys", "cmdResetColors", "cmdResetAdditSetttings"}) {
        f.messages.setNextAnswer(true);
        click(f, button);
    }
}

QColor centreColour(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// Every value differs from its default and lies within the controls' ranges.
SettingsRecord everythingChanged(const QString& wave, const QString& picture) {
    SettingsRecord r = OptionsFixture::defaults();
    int colour = 0x102030;
    for (std::int32_t* c : {&r.FormBack, &r.TimeColor, &r.ScoreColor, &r.PeriodColor, &r.LEDBack,
                            &r.LEDSelected, &r.BorderColor, &r.HomeColor, &r.VisitorColor}) {
        *c = colour += 0x010101;
    }
    r.LEDSelectedWidth = 3;
    const char* letters =
        "ADEFGHIJKLMNOQUVWX"; // no default key uses these, so every rebind finds its key free
    for (const options::KeyBinding& binding : options::KeyBindings) {
        r.*binding.field = static_cast<std::int16_t>(*letters++);
    }
    r.NumLockForce = 2;
    r.TitleText = QStringLiteral("County Final");
    r.HomeText = QStringLiteral("Tigers");
    r.VisitorText = QStringLiteral("Lions");
    r.TeamSize = Currency::fromInt(options::teamNameSize(r.HomeText, r.VisitorText));
    r.BuzzerFile = wave;
    r.HomePic = r.VisitorPic = r.BoardPic = picture;
    r.LEDType = 1;
    r.ShotClockResetTime = 24;
    r.BonusInner = 5;
    r.BonusOuter = 8;
    r.GamePeriod = 1;
    r.PeriodSeconds = 450;
    r.OvertimeSeconds = 180;
    r.ShortReset = 14;
    r.TimeoutsPerGame = 3;
    r.FoulsResetEachPeriod = true;
    r.ShotClockOff = true;
    r.ShotClockFile = wave;
    return r;
}

} // namespace

QString TestOptionsDialog::writeFile(const QString& name, const QByteArray& bytes) {
    return testfiles::write(m_dir.filePath(name), bytes);
}

QString TestOptionsDialog::writePicture(const QString& name, QSize size, const QColor& color) {
    return pixels::filled(size, color).save(m_dir.filePath(name)) ? m_dir.filePath(name) : QString();
}

QString TestOptionsDialog::writeWave(const QString& name) {
    // 8-bit mono silence at 8 kHz
    return writeFile(name, testfiles::wave(testfiles::Pcm, 1, 8000, 8, QByteArray(800, char(0x80))));
}

void TestOptionsDialog::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_log.emplace("ravenmark.");
}

void TestOptionsDialog::init() {
    m_log->clear();
}

void TestOptionsDialog::okOnDefaultsGivesDefaults() {
    OptionsFixture f;
    click(f, "cmdOk");
    QCOMPARE(f.commits, QList<SettingsRecord>{OptionsFixture::defaults()});
    QVERIFY(f.numLocks.isEmpty()); // "Normal Mode" leaves NumLock alone
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

void TestOptionsDialog::okWithEveryValueChanged() {
    // GIVEN the dialog on the defaults, and files to choose.
    const QString wave = writeWave(QStringLiteral("horn.wav"));
    const QString picture = writePicture(QStringLiteral("crest.png"), {40, 40}, Qt::darkGreen);
    const SettingsRecord expected = everythingChanged(wave, picture);
    OptionsFixture f;

    // WHEN the operator changes every value through the controls.
    for (const options::KeyBinding& binding : options::KeyBindings) {
        f.dialog->ChooseKey(f.label(QLatin1String(binding.labelName)));
        f.dialog->KeyChosen(expected.*binding.field);
    }
    for (auto [button, colour] :
         {std::pair{"cmdBackC", expected.FormBack}, std::pair{"cmdTimeC", expected.TimeColor},
          std::pair{"cmdScoreC", expected.ScoreColor}, std::pair{"cmdPeriodC", expected.PeriodColor},
          std::pair{"cmdLEDB", expected.LEDBack}, std::pair{"cmdLedSelected", expected.LEDSelected},
          std::pair{"cmdBorderC", expected.BorderColor}, std::pair{"cmdHomeC", expected.HomeColor},
          std::pair{"cmdVisitorC", expected.VisitorColor}}) {
        f.chooser.setNextColor(rgbcolor::toQColor(colour));
        click(f, button);
    }
    f.child<QScrollBar>(QStringLiteral("scrLEDSelectedWidth"))->setValue(3);
    f.child<QRadioButton>(QStringLiteral("optKeepOff"))->click();
    for (auto [name, text] :
         {std::pair{"txtTitleText", expected.TitleText}, std::pair{"txtHomeText", expected.HomeText},
          std::pair{"txtVisitorText", expected.VisitorText}}) {
        auto* edit = f.child<QLineEdit>(QLatin1String(name));
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    f.chooser.setNextFileName(wave);
    click(f, "cmdBuzzerSound");
    for (const char* button : {"cmdChangeHomePic", "cmdChangeVisitorPic", "cmdChangeBoardPic"}) {
        f.chooser.setNextFileName(picture);
        click(f, button);
    }
    f.child<QComboBox>(QStringLiteral("cmbLedType"))->setCurrentIndex(1);
    f.child<RaisingScrollBar>(QStringLiteral("vsShotClock"))->setShownValue(24);
    f.child<RaisingScrollBar>(QStringLiteral("vsBonusInner"))->setShownValue(5);
    f.child<RaisingScrollBar>(QStringLiteral("vsBonusOuter"))->setShownValue(8);
    f.child<QRadioButton>(QStringLiteral("otnGameHalf"))->click();
    for (auto [name, value] : {std::pair{"spnPeriod", 450}, std::pair{"spnOvertime", 180},
                               std::pair{"spnShortReset", 14}, std::pair{"spnTimeouts", 3}}) {
        f.child<QSpinBox>(QLatin1String(name))->setValue(value);
    }
    f.child<QCheckBox>(QStringLiteral("chkFoulsReset"))->click();
    f.child<QCheckBox>(QStringLiteral("chkShotClockOff"))->click();
    f.chooser.setNextFileName(wave);
    click(f, "cmdShotClockSound");
    click(f, "cmdOk");

    // THEN commit gets exactly that record, NumLock goes off, and the next opening shows it all.
    QCOMPARE(f.commits, QList<SettingsRecord>{expected});
    QCOMPARE(f.numLocks, QList<bool>{false});
    f.dialog->load(f.dialog->settings());
    QCOMPARE(f.dialog->staged(), expected);
}

void TestOptionsDialog::failedSaveIsReportedAndKept() {
    OptionsFixture f;
    f.commitResult = {false, QStringLiteral("/read-only/Ravenmark/Ravenmark.conf")};
    f.child<QRadioButton>(QStringLiteral("optKeepOn"))->click();
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); // the commit logs it, not the dialog
    click(f, "cmdOk");

    QCOMPARE(f.messages.shown().size(), 1);
    QVERIFY(!f.messages.shown().first().question);
    QVERIFY(f.messages.shown().first().text.contains(QStringLiteral("/read-only/Ravenmark/Ravenmark.conf")));
    // NumLock was applied and the new settings stay in force; the dialog closes.
    QCOMPARE(f.numLocks, QList<bool>{true});
    QCOMPARE(f.dialog->settings().NumLockForce, 1);
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

void TestOptionsDialog::escapeCancels() {
    OptionsFixture f;
    QVERIFY(f.showActive());
    f.child<QLineEdit>(QStringLiteral("txtTitleText"))->setText(QStringLiteral("Changed"));
    // Also while a key label waits: Esc is no key to bind.
    QTest::mouseClick(f.label(QStringLiteral("lblKeyBuzzer")), Qt::LeftButton);
    QTest::keyClick(f.dialog->windowHandle(), Qt::Key_Escape);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QVERIFY(f.commits.isEmpty());
}

void TestOptionsDialog::resetThenCancelCommitsNothing() {
    const SettingsRecord custom = everythingChanged(QString(), QString());
    OptionsFixture f(custom);
    resetAll(f);
    QVERIFY(f.dialog->staged() != custom);
    click(f, "cmdCancel");
    QVERIFY(f.commits.isEmpty());
    QVERIFY(f.numLocks.isEmpty());
    QCOMPARE(f.dialog->settings(), custom);
}

void TestOptionsDialog::resetAnsweredNo_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString keys = u"Are you sure you want to reset Keys, Quick Keys, and Numlock option?"_s;
    QTest::newRow("keys") << u"cmdResetKeys"_s << u"Reset Keys"_s << keys;
    QTest::newRow("quick keys") << u"Command1"_s << u"Reset Keys"_s << keys;
    QTest::newRow("colours") << u"cmdResetColors"_s << u"Reset Colors"_s
                             << u"Are you sure you want to reset the colors?"_s;
    QTest::newRow("settings") << u"cmdResetAdditSetttings"_s << u"Reset Settings?"_s
                              << u"Are you sure you want to reset these settings?"_s;
}

void TestOptionsDialog::resetAnsweredNo() {
    QFETCH(QString, button);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const SettingsRecord custom = everythingChanged(QString(), QString());
    OptionsFixture f(custom);
    f.messages.setNextAnswer(false);
    click(f, qPrintable(button));
    QCOMPARE(f.messages.shown().size(), 1);
    QVERIFY(f.messages.shown().first().question);
    QCOMPARE(f.messages.shown().first().title, title);
    QCOMPARE(f.messages.shown().first().text, text);
    QCOMPARE(f.dialog->staged(), custom);
}

void TestOptionsDialog::resetAnsweredYes() {
    // GIVEN every value changed, the mark 4 wide.
    SettingsRecord custom = everythingChanged(QString(), QString());
    custom.LEDSelectedWidth = 4;
    OptionsFixture f(custom);
    resetAll(f);
    // THEN the three groups hold their defaults (the mark's colour the fixed 4210752) and the
    // texts, pictures and digit style are untouched.
    SettingsRecord expected = OptionsFixture::defaults();
    for (auto field : {&SettingsRecord::TitleText, &SettingsRecord::HomeText, &SettingsRecord::VisitorText,
                       &SettingsRecord::BuzzerFile, &SettingsRecord::HomePic, &SettingsRecord::VisitorPic,
                       &SettingsRecord::BoardPic}) {
        expected.*field = custom.*field;
    }
    expected.TeamSize = custom.TeamSize;
    expected.LEDType = custom.LEDType;
    expected.LEDSelected = 4210752;
    // The league page has no reset of its own; "Reset Settings" stays on its page.
    expected.PeriodSeconds = custom.PeriodSeconds;
    expected.OvertimeSeconds = custom.OvertimeSeconds;
    expected.ShortReset = custom.ShortReset;
    expected.TimeoutsPerGame = custom.TimeoutsPerGame;
    expected.FoulsResetEachPeriod = custom.FoulsResetEachPeriod;
    expected.ShotClockOff = custom.ShotClockOff;
    expected.ShotClockFile = custom.ShotClockFile;
    QCOMPARE(f.dialog->staged(), expected);
    QCOMPARE(centreColour(f.child(QStringLiteral("picTimeC"))), rgbcolor::toQColor(33023));
    QCOMPARE(f.label(QStringLiteral("lblKeyBuzzer"))->text(), QStringLiteral("B"));
    // The width label reads 0 but the bar stays at 4 until it moves.
    auto* width = f.child<QScrollBar>(QStringLiteral("scrLEDSelectedWidth"));
    QCOMPARE(width->value(), 4);
    width->setValue(2);
    QCOMPARE(f.dialog->staged().LEDSelectedWidth, 2);
}

void TestOptionsDialog::teamSizeRule_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("visitor");
    QTest::addColumn<bool>("measured");
    QTest::newRow("default names keep the stored size") << u"Home"_s << u"Visitor"_s << false;
    QTest::newRow("other home name measures") << u"Tigers"_s << u"Visitor"_s << true;
    QTest::newRow("other visitor name measures") << u"Home"_s << u"Lions"_s << true;
    QTest::newRow("empty names measure to 60") << u""_s << u""_s << true;
}

void TestOptionsDialog::teamSizeRule() {
    QFETCH(QString, home);
    QFETCH(QString, visitor);
    QFETCH(bool, measured);
    SettingsRecord record = OptionsFixture::defaults();
    record.HomeText = home;
    record.VisitorText = visitor;
    record.TeamSize = 37_cur;
    OptionsFixture f(record);
    const int expected = int(f.dialog->tempSize());
    if (measured) {
        QVERIFY2(isLargestThatFits(expected, home, visitor), qPrintable(QString::number(expected)));
    } else {
        QCOMPARE(expected, 37);
    }
    // The board name never changes it; a 26th character is refused, as are a 21st in the names.
    auto* title = f.child<QLineEdit>(QStringLiteral("txtTitleText"));
    QTest::keyClicks(title, QString(30, QLatin1Char('W')));
    QCOMPARE(title->text().size(), 25);
    QCOMPARE(int(f.dialog->tempSize()), expected);
    auto* homeBox = f.child<QLineEdit>(QStringLiteral("txtHomeText"));
    QTest::keyClicks(homeBox, QString(30, QLatin1Char('W')));
    QCOMPARE(homeBox->text().size(), 20);
    QVERIFY(isLargestThatFits(int(f.dialog->tempSize()), homeBox->text(), visitor));
}

void TestOptionsDialog::storedValuesClamped_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("LEDType above") << "LEDType" << 7 << 1;
    QTest::newRow("LEDType below") << "LEDType" << -3 << 0;
    QTest::newRow("shot clock above") << "ShotClockResetTime" << 150 << 99;
    QTest::newRow("shot clock below") << "ShotClockResetTime" << -5 << 0;
    QTest::newRow("inner bonus above") << "BonusInner" << 25 << 20;
    QTest::newRow("outer bonus below") << "BonusOuter" << -1 << 0;
    QTest::newRow("width above") << "LEDSelectedWidth" << 9 << 5;
    QTest::newRow("unknown NumLock mode") << "NumLockForce" << 7 << 0;
    QTest::newRow("any non-zero game period is halves") << "GamePeriod" << 4 << 1;
}

void TestOptionsDialog::storedValuesClamped() {
    QFETCH(QString, field);
    QFETCH(int, stored);
    QFETCH(int, shown);
    const QMap<QString, std::int16_t SettingsRecord::*> fields{
        {"LEDType", &SettingsRecord::LEDType},
        {"ShotClockResetTime", &SettingsRecord::ShotClockResetTime},
        {"BonusInner", &SettingsRecord::BonusInner},
        {"BonusOuter", &SettingsRecord::BonusOuter},
        {"GamePeriod", &SettingsRecord::GamePeriod},
        {"LEDSelectedWidth", &SettingsRecord::LEDSelectedWidth}};
    SettingsRecord record = OptionsFixture::defaults();
    if (field == u"NumLockForce") {
        record.NumLockForce = stored;
    } else {
        record.*fields[field] = static_cast<std::int16_t>(stored);
    }
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    const SettingsRecord staged = f.dialog->staged();
    QCOMPARE(field == u"NumLockForce" ? staged.NumLockForce : int(staged.*fields[field]), shown);
}

void TestOptionsDialog::upperArrowRaises_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("step");
    QTest::newRow("shot clock") << u"vsShotClock"_s << u"lblShotClock"_s << 5 << 35 << 1;
    QTest::newRow("shot clock at the top stays") << u"vsShotClock"_s << u"lblShotClock"_s << 5 << 99 << 0;
    QTest::newRow("inner bonus") << u"vsBonusInner"_s << u"lblBonusInner"_s << 5 << 7 << 1;
    QTest::newRow("outer bonus") << u"vsBonusOuter"_s << u"lblBonusOuter"_s << 5 << 10 << 1;
    QTest::newRow("width, right arrow")
        << u"scrLEDSelectedWidth"_s << u"lblLEDSelectedWidthValue"_s << 2 << 0 << 1;
}

void TestOptionsDialog::upperArrowRaises() {
    QFETCH(QString, bar);
    QFETCH(QString, label);
    QFETCH(int, page);
    QFETCH(int, from);
    QFETCH(int, step);
    SettingsRecord record = OptionsFixture::defaults();
    (bar == u"scrLEDSelectedWidth" ? record.LEDSelectedWidth : record.ShotClockResetTime) =
        std::int16_t(from);
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    f.child<QTabWidget>(QStringLiteral("SSTab1"))->setCurrentIndex(page);
    auto* scroll = f.child<QScrollBar>(bar);
    const bool upright = scroll->orientation() == Qt::Vertical;
    // The raising arrow is the top one of an upright bar and the right one of a flat bar.
    QTest::mouseClick(scroll, Qt::LeftButton, {},
                      upright ? QPoint(scroll->width() / 2, 3)
                              : QPoint(scroll->width() - 3, scroll->height() / 2));
    QCOMPARE(f.label(label)->text(), QString::number(from + step));
    if (upright) {
        // Assistive tools hear the value shown, not the bar's inner one.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(scroll);
        QVERIFY(accessible != nullptr && accessible->valueInterface() != nullptr);
        QCOMPARE(accessible->valueInterface()->currentValue().toInt(), from + step);
    }
    QTest::mouseClick(scroll, Qt::LeftButton, {},
                      upright ? QPoint(scroll->width() / 2, scroll->height() - 3)
                              : QPoint(3, scroll->height() / 2));
    QCOMPARE(f.label(label)->text(), QString::number(from + step - 1));
}

void TestOptionsDialog::everyOpeningStartsFresh() {
    // GIVEN an opening left on the "Text" page with a capture under way and a cleared picture.
    const QString picture = writePicture(QStringLiteral("fresh.png"), {20, 20}, Qt::blue);
    SettingsRecord record = OptionsFixture::defaults();
    record.HomePic = picture;
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    f.dialog->ChooseKey(f.label(QStringLiteral("lblKeyBuzzer")));
    click(f, "cmdClearHomePic");
    auto* tabs = f.child<QTabWidget>(QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(3);
    click(f, "cmdCancel");

    // WHEN it opens again.
    f.dialog->load(record);
    QVERIFY(f.showActive());

    // THEN the "Keys" page shows with OK focused, nothing waits, and the picture is back.
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(QApplication::focusWidget(), f.child(QStringLiteral("cmdOk")));
    QCOMPARE(f.dialog->waitingLabel(), nullptr);
    QVERIFY(!f.waitingColour(QStringLiteral("lblKeyBuzzer")));
    QCOMPARE(f.dialog->homePicTemp(), picture);
    QVERIFY(preview(f, "imgHomePicPreview")->hasPicture());
    QCOMPARE(previewCentre(f, "Home"), QColor(Qt::blue));
    QVERIFY(m_log->lines().isEmpty());
    // A picture whose file has gone stays staged, but the last opening's picture is not shown;
    // the missing file is logged once, not at every opening.
    QVERIFY(QFile::remove(picture));
    for (int opening = 0; opening < 2; ++opening) {
        f.dialog->load(record);
        QCOMPARE(f.dialog->homePicTemp(), picture);
        QVERIFY(!preview(f, "imgHomePicPreview")->hasPicture());
        QVERIFY(previewCentre(f, "Home") != QColor(Qt::blue));
    }
    QCOMPARE(m_log->lines().size(), 1);
    QVERIFY2(m_log->lines().first().contains(picture), qPrintable(m_log->lines().first()));
}

void TestOptionsDialog::choosersThatChangeNothing() {
    const QString noPicture = writeFile(QStringLiteral("bad.png"), "this is no picture");
    const QString noWave = writeFile(QStringLiteral("noise.wav"), "this is no wave");
    const QString missing = m_dir.filePath(QStringLiteral("missing.png"));
    OptionsFixture f;
    // Cancelled colour: the swatch keeps its colour, which the chooser was offered.
    f.chooser.setNextColor(std::nullopt);
    click(f, "cmdScoreC");
    QCOMPARE(f.chooser.lastInitialColor(), rgbcolor::toQColor(255));
    QCOMPARE(centreColour(f.child(QStringLiteral("picScoreC"))), rgbcolor::toQColor(255));
    // Cancelled, missing and unreadable files.
    for (const QString& file : {QString(), missing, noPicture}) {
        f.chooser.setNextFileName(file);
        if (file == noPicture) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("Cannot show the picture.*bad.png")));
        }
        click(f, "cmdChangeVisitorPic");
    }
    for (const QString& file : {QString(), missing, noWave}) {
        f.chooser.setNextFileName(file);
        if (file == noWave) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("not a playable wave.*noise.wav")));
        }
        click(f, "cmdBuzzerSound");
    }
    QCOMPARE(f.dialog->staged(), OptionsFixture::defaults());
    QVERIFY(!preview(f, "imgVisitorPicPreview")->hasPicture());
    QCOMPARE(m_log->lines().size(), 2); // the picture and the sound, once each
}

void TestOptionsDialog::pictureChooser() {
    const QString wide = writePicture(QStringLiteral("wide.png"), {80, 40}, Qt::red);
    OptionsFixture f;
    ImageBox* image = preview(f, "imgHomePicPreview");
    auto* frame = f.child<QFrame>(QStringLiteral("picHomePicPreviewCon"));
    QVERIFY(frame->isAncestorOf(image));
    f.chooser.setNextFileName(wide);
    click(f, "cmdChangeHomePic");
    QCOMPARE(f.chooser.lastFilter(), QStringLiteral("Pictures (*.bmp *.gif *.jpg *.jpeg *.png)"));
    QCOMPARE(f.dialog->homePicTemp(), wide);
    // Twice as wide as high in a square frame: the full width inside the border, half the
    // height, centred.
    const QRect inner = frame->contentsRect();
    const QRect place(image->mapTo(frame, QPoint(0, 0)), image->size());
    QCOMPARE(place.left(), inner.left());
    QCOMPARE(place.width(), inner.width());
    QVERIFY(qAbs(place.height() - inner.height() / 2) <= 1);
    QVERIFY(qAbs(place.top() - (inner.top() + (inner.height() - place.height()) / 2)) <= 1);
    // Seen in the frame: red in the middle, not above the picture, and the border line is
    // not painted over.
    const QImage shown = previewShot(f, "Home");
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));
    QVERIFY(shown.pixelColor(shown.width() / 2, inner.top() + 2) != QColor(Qt::red));
    QVERIFY(shown.pixelColor(0, shown.height() / 2) != QColor(Qt::red));
    QVERIFY(shown.pixelColor(shown.width() - 1, shown.height() / 2) != QColor(Qt::red));

    // The next chooser starts from that file; a cancelled one leaves the visitor picture alone.
    f.chooser.setNextFileName(QString());
    click(f, "cmdChangeVisitorPic");
    QCOMPARE(f.chooser.lastStartFile(), wide);
    // Clear empties path and preview, also where nothing was set; OK saves no picture.
    click(f, "cmdClearHomePic");
    click(f, "cmdClearVisitorPic");
    QVERIFY(!image->hasPicture());
    QVERIFY(previewCentre(f, "Home") != QColor(Qt::red));
    click(f, "cmdOk");
    QCOMPARE(f.commits.first(), OptionsFixture::defaults());
    QVERIFY(m_log->lines().isEmpty());
}

void TestOptionsDialog::unreadablePictureChangesNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    const QByteArray png = pixels::encoded(pixels::filled({60, 60}, Qt::green), "PNG");
    QTest::newRow("text named .png") << "notes.png" << QByteArray("Home team: Ravens\n");
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray();
    // The header promises a picture; only reading it shows the damage.
    QTest::newRow("truncated png") << "cut.png" << png.left(png.size() / 2);
}

void TestOptionsDialog::unreadablePictureChangesNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString good = writePicture(QStringLiteral("good.png"), {50, 50}, Qt::blue);
    const QString bad = writeFile(name, content);
    QVERIFY(!bad.isEmpty());
    OptionsFixture f;
    f.chooser.setNextFileName(good);
    click(f, "cmdChangeBoardPic");
    QCOMPARE(previewCentre(f, "Board"), QColor(Qt::blue));
    const QImage before = previewShot(f, "Board");
    QVERIFY(m_log->lines().isEmpty());

    // Chosen twice: the staged path and the picture shown stay; the log explains it once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        f.chooser.setNextFileName(bad);
        click(f, "cmdChangeBoardPic");
        QCOMPARE(f.dialog->boardPicTemp(), good);
        QCOMPARE(previewShot(f, "Board"), before);
    }
    QCOMPARE(m_log->lines().size(), 1);
    QVERIFY2(m_log->lines().first().contains(bad), qPrintable(m_log->lines().first()));
    click(f, "cmdOk");
    QCOMPARE(f.commits.first().BoardPic, good);
}

void TestOptionsDialog::soundChooser() {
    const QString wave = writeWave(QStringLiteral("horn.wav"));
    const QString noWave = writeFile(QStringLiteral("cut.wav"), QByteArray("RIFF\0\0\0\0WAVE", 12));
    std::unique_ptr<FakeSound> sound;
    OptionsFixture f(OptionsFixture::defaults(), [&sound] {
        if (!sound) {
            sound = std::make_unique<FakeSound>();
        }
        return sound.get();
    });
    // After a picture chooser the sound chooser still offers only wave files.
    f.chooser.setNextFileName(QString());
    click(f, "cmdChangeHomePic");
    f.chooser.setNextFileName(wave);
    click(f, "cmdBuzzerSound");
    QCOMPARE(f.chooser.lastFilter(), QStringLiteral("Sounds (*.wav)"));
    QCOMPARE(f.dialog->buzzTemp(), wave);
    QCOMPARE(f.label(QStringLiteral("lblBFile"))->text(), options::fileCaption(wave));
    // Choosing only stages: no device yet, nothing heard in the hall.
    QVERIFY(!sound);

    // A wave file the buzzer cannot play: told at once, in the dialog, which file and why.
    f.chooser.setNextFileName(noWave);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a playable wave.*cut.wav")));
    click(f, "cmdBuzzerSound");
    QCOMPARE(f.dialog->buzzTemp(), wave);
    QCOMPARE(f.messages.shown().size(), 1);
    QVERIFY2(f.messages.shown().first().text.contains(QDir::toNativeSeparators(noWave)),
             qPrintable(f.messages.shown().first().text));
    QVERIFY(!f.messages.shown().first().question);
    QVERIFY(!sound);

    // "Test" plays what is staged, on request.
    click(f, "cmdTestBuzzer");
    QVERIFY(sound);
    QCOMPARE(sound->opened, QStringList{wave});
    QCOMPARE(sound->plays, 1);
}

void TestOptionsDialog::feedTokenIsMadeOnceAndRenewed() {
    // GIVEN a store that has no token yet: none is made while the feed is off
    OptionsFixture f;
    QCOMPARE(f.dialog->staged().FeedToken, QString());
    // WHEN the feed is turned on THEN the dialog makes one, which OK stores
    f.child<QCheckBox>(QStringLiteral("chkFeedEnabled"))->setChecked(true);
    const QString made = f.dialog->staged().FeedToken;
    QVERIFY2(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(made).hasMatch(), qPrintable(made));
    f.child<QCheckBox>(QStringLiteral("chkFeedEnabled"))->setChecked(false);
    f.child<QCheckBox>(QStringLiteral("chkFeedEnabled"))->setChecked(true);
    QCOMPARE(f.dialog->staged().FeedToken, made);

    // GIVEN a stored token, on the network
    SettingsRecord record = OptionsFixture::defaults();
    record.FeedToken = QStringLiteral("0123abcd");
    record.FeedNetwork = true;
    f.dialog->load(record);
    QCOMPARE(f.dialog->staged().FeedToken, QStringLiteral("0123abcd"));
    auto* overlay = f.child<QLineEdit>(QStringLiteral("txtFeedOverlay"));
    QVERIFY(overlay->text().endsWith(QStringLiteral("/overlay?token=0123abcd")));

    // WHEN it is renewed THEN the addresses to copy carry the new one
    QTest::mouseClick(f.child<QPushButton>(QStringLiteral("cmdRenewToken")), Qt::LeftButton);
    const QString renewed = f.dialog->staged().FeedToken;
    QVERIFY(renewed != QStringLiteral("0123abcd"));
    QVERIFY(overlay->text().endsWith(QStringLiteral("/overlay?token=") + renewed));
}

void TestOptionsDialog::pagesRender() {
    // Every control lies inside its page and the dialog; with RAVENMARK_SCREENSHOT_DIR set the
    // pages are written out as pictures too.
    SettingsRecord record = OptionsFixture::defaults();
    record.HomePic = writePicture(QStringLiteral("team.png"), {64, 48}, QColor(30, 80, 160));
    record.BuzzerFile = QStringLiteral("/usr/share/ravenmark/sounds/basketball-arena-buzzer.wav");
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    auto* tabs = f.child<QTabWidget>(QStringLiteral("SSTab1"));
    const QString out = qEnvironmentVariable("RAVENMARK_SCREENSHOT_DIR");
    const char* names[] = {"keys",           "quick-keys", "colors",   "text",     "pictures",
                           "other-settings", "league",     "audience", "live-feed"};
    QCOMPARE(tabs->count(), 9);
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QWidget* pageWidget = tabs->widget(page);
        for (QWidget* w : pageWidget->findChildren<QWidget*>()) {
            if (!w->objectName().isEmpty() && w->isVisibleTo(f.dialog.get())) {
                const QRect inPage(w->mapTo(pageWidget, QPoint(0, 0)), w->size());
                QVERIFY2(pageWidget->rect().contains(inPage), qPrintable(w->objectName()));
            }
        }
        if (!out.isEmpty()) {
            QVERIFY(QDir().mkpath(out));
            QVERIFY(f.dialog->grab().save(
                QStringLiteral("%1/options-%2.png").arg(out, QLatin1String(names[page]))));
        }
    }
    QVERIFY(f.dialog->rect().contains(tabs->geometry()));
    QCOMPARE(centreColour(f.child(QStringLiteral("picPeriodC"))), rgbcolor::toQColor(49152));
    QCOMPARE(f.label(QStringLiteral("lblBFile"))->text(),
             QStringLiteral("/usr/share ...") + QDir::separator());
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
