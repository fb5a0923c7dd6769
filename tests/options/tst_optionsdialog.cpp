#include "components/dotpanel.h"
#include "optionsfixture.h"
#include "platform/rgbcolor.h"
#include "platform/sounddevice.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtEndian>

// The dialog as a whole: what OK hands over, the resets, the choosers, and what each page shows.
class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    void okOnDefaultsGivesDefaults();
    void okWithEveryValueChanged();
    void numLockAppliedOnOk_data();
    void numLockAppliedOnOk();
    void failedSaveIsReportedAndKept();
    void escapeCancels();
    void resetThenCancelCommitsNothing();
    void resetAnsweredNoChangesNothing_data();
    void resetAnsweredNoChangesNothing();
    void resetAnsweredYes();
    void teamSizeRule_data();
    void teamSizeRule();
    void textLimits_data();
    void textLimits();
    void storedValuesClamped_data();
    void storedValuesClamped();
    void upperArrowRaises_data();
    void upperArrowRaises();
    void everyOpeningStartsFresh();
    void colourChooser();
    void pictureChooser();
    void pictureThatCannotBeReadChangesNothing();
    void soundChooser();
    void digitStyleDrivesPreview();
    void pagesRender();

private:
    QTemporaryDir m_dir;
    QString writePicture(const QString& name, QSize size, const QColor& color);
    QString writeWave(const QString& name);
};

namespace {

class RecordingSound : public SoundDevice {
public:
    bool open(const QString& path) override {
        setFileName(path);
        opened.append(path);
        return true;
    }
    void play() override { ++plays; }
    void stop() override {}
    void close() override {}
    bool isOpen() const override { return !opened.isEmpty(); }
    bool isPlaying() const override { return false; }
    QStringList opened;
    int plays = 0;
};

void click(const OptionsFixture& f, const char* button) {
    auto* b = f.child<QPushButton>(QLatin1String(button));
    QVERIFY2(b != nullptr, button);
    b->click();
}

QColor centreColour(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

// A record in which every value differs from its default and lies within the controls' ranges.
SettingsRecord everythingChanged(const QString& wave, const QString& picture) {
    SettingsRecord r = OptionsFixture::defaults();
    int colour = 0x102030;
    for (std::int32_t* c : {&r.FormBack, &r.TimeColor, &r.ScoreColor, &r.PeriodColor, &r.LEDBack,
                            &r.LEDSelected, &r.BorderColor, &r.HomeColor, &r.VisitorColor}) {
        *c = colour;
        colour += 0x010101;
    }
    r.LEDSelectedWidth = 3;
    // Letters no default key uses, so each rebind finds its key free.
    const char* letters = "ADEFGHIJKLMNOQUVW";
    for (const options::KeyBinding& binding : options::KeyBindings) {
        r.*binding.field = static_cast<std::int16_t>(*letters++);
    }
    r.NumLockForce = 1;
    r.TitleText = QStringLiteral("County Final");
    r.HomeText = QStringLiteral("Tigers");
    r.VisitorText = QStringLiteral("Lions");
    r.TeamSize = Currency::fromInt(options::teamNameSize(r.HomeText, r.VisitorText));
    r.BuzzerFile = wave;
    r.HomePic = picture;
    r.VisitorPic = picture;
    r.BoardPic = picture;
    r.LEDType = 1;
    r.ShotClockResetTime = 24;
    r.BonusInner = 5;
    r.BonusOuter = 8;
    r.GamePeriod = 1;
    return r;
}

} // namespace

QString TestOptionsDialog::writePicture(const QString& name, QSize size, const QColor& color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = m_dir.filePath(name);
    if (!image.save(path)) {
        return {};
    }
    return path;
}

QString TestOptionsDialog::writeWave(const QString& name) {
    constexpr quint32 Samples = 800;
    QByteArray bytes;
    const auto u32 = [&](quint32 v) {
        bytes.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4);
    };
    const auto u16 = [&](quint16 v) {
        bytes.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2);
    };
    bytes.append("RIFF");
    u32(36 + Samples);
    bytes.append("WAVEfmt ");
    u32(16);
    u16(1);    // PCM
    u16(1);    // mono
    u32(8000); // samples a second
    u32(8000); // bytes a second
    u16(1);    // block
    u16(8);    // bits
    bytes.append("data");
    u32(Samples);
    bytes.append(QByteArray(Samples, char(0x80)));
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return {};
    }
    return path;
}

void TestOptionsDialog::okOnDefaultsGivesDefaults() {
    OptionsFixture f;
    click(f, "cmdOk");
    QCOMPARE(f.commits.size(), 1);
    QCOMPARE(f.commits.first(), OptionsFixture::defaults());
    QVERIFY(f.numLocks.isEmpty()); // "Normal Mode" leaves NumLock alone
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

void TestOptionsDialog::okWithEveryValueChanged() {
    // GIVEN the dialog on the defaults, and files to choose.
    const QString wave = writeWave(QStringLiteral("horn.wav"));
    const QString picture = writePicture(QStringLiteral("crest.png"), {40, 40}, Qt::darkGreen);
    QVERIFY(!wave.isEmpty() && !picture.isEmpty());
    const SettingsRecord expected = everythingChanged(wave, picture);
    OptionsFixture f;

    // WHEN the operator changes every value through the controls.
    for (const options::KeyBinding& binding : options::KeyBindings) {
        f.dialog->ChooseKey(f.label(QLatin1String(binding.labelName)));
        f.dialog->KeyChosen(expected.*binding.field);
        QCOMPARE(f.tag(QLatin1String(binding.labelName)), int(expected.*binding.field));
    }
    const std::pair<const char*, std::int32_t> colours[] = {
        {"cmdBackC", expected.FormBack},       {"cmdTimeC", expected.TimeColor},
        {"cmdScoreC", expected.ScoreColor},    {"cmdPeriodC", expected.PeriodColor},
        {"cmdLEDB", expected.LEDBack},         {"cmdLedSelected", expected.LEDSelected},
        {"cmdBorderC", expected.BorderColor},  {"cmdHomeC", expected.HomeColor},
        {"cmdVisitorC", expected.VisitorColor}};
    for (const auto& [button, colour] : colours) {
        f.chooser.setNextColor(rgbcolor::toQColor(colour));
        click(f, button);
    }
    f.child<QScrollBar>(QStringLiteral("scrLEDSelectedWidth"))->setValue(3);
    f.child<QRadioButton>(QStringLiteral("optKeepOn"))->click();
    for (auto [name, text] :
         {std::pair{"txtTitleText", expected.TitleText}, std::pair{"txtHomeText", expected.HomeText},
          std::pair{"txtVisitorText", expected.VisitorText}}) {
        auto* edit = f.child<QLineEdit>(QLatin1String(name));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
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
    click(f, "cmdOk");

    // THEN commit gets exactly that record, NumLock is switched on, and the next opening shows it.
    QCOMPARE(f.commits.size(), 1);
    QCOMPARE(f.commits.first(), expected);
    QCOMPARE(f.numLocks, QList<bool>{true});
    QCOMPARE(f.dialog->settings(), expected);
    f.dialog->load(expected);
    QCOMPARE(f.dialog->staged(), expected);
}

void TestOptionsDialog::numLockAppliedOnOk_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QList<bool>>("applied");
    QTest::newRow("Normal Mode") << "optNormal" << 0 << QList<bool>{};
    QTest::newRow("Keep Numlock On") << "optKeepOn" << 1 << QList<bool>{true};
    QTest::newRow("Keep Numlock Off") << "optKeepOff" << 2 << QList<bool>{false};
}

void TestOptionsDialog::numLockAppliedOnOk() {
    QFETCH(QString, option);
    QFETCH(int, stored);
    QFETCH(QList<bool>, applied);
    OptionsFixture f;
    f.child<QRadioButton>(option)->click();
    click(f, "cmdOk");
    QCOMPARE(f.numLocks, applied);
    QCOMPARE(f.commits.first().NumLockForce, stored);
}

void TestOptionsDialog::failedSaveIsReportedAndKept() {
    OptionsFixture f;
    f.commitResult = {false, QStringLiteral("/read-only/Ravenmark/Ravenmark.conf")};
    f.child<QLineEdit>(QStringLiteral("txtTitleText"))->setText(QStringLiteral("Gym 2"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not save.*Ravenmark.conf")));
    click(f, "cmdOk");

    QCOMPARE(f.messages.shown().size(), 1);
    const QtOptionsMessages::Shown warning = f.messages.shown().first();
    QVERIFY(!warning.question);
    QVERIFY2(warning.text.contains(QStringLiteral("/read-only/Ravenmark/Ravenmark.conf")),
             qPrintable(warning.text));
    // The new settings stay in force and the dialog closes.
    QCOMPARE(f.dialog->settings().TitleText, QStringLiteral("Gym 2"));
    QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
}

void TestOptionsDialog::escapeCancels() {
    OptionsFixture f;
    QVERIFY(f.showActive());
    f.child<QLineEdit>(QStringLiteral("txtTitleText"))->setText(QStringLiteral("Changed"));
    QTest::keyClick(f.dialog->windowHandle(), Qt::Key_Escape);
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QVERIFY(f.commits.isEmpty());
    QCOMPARE(f.dialog->settings(), OptionsFixture::defaults());
}

void TestOptionsDialog::resetThenCancelCommitsNothing() {
    const SettingsRecord custom = everythingChanged(QString(), QString());
    OptionsFixture f(custom);
    for (const char* button : {"cmdResetKeys", "cmdResetColors", "cmdResetAdditSetttings"}) {
        f.messages.setNextAnswer(true);
        click(f, button);
    }
    // The resets show in the dialog...
    const SettingsRecord staged = f.dialog->staged();
    const SettingsRecord defaults = OptionsFixture::defaults();
    QCOMPARE(staged.BuzzerKey, defaults.BuzzerKey);
    QCOMPARE(staged.TimeColor, defaults.TimeColor);
    QCOMPARE(staged.ShotClockResetTime, defaults.ShotClockResetTime);
    // ...but Cancel hands nothing on.
    click(f, "cmdCancel");
    QVERIFY(f.commits.isEmpty());
    QVERIFY(f.numLocks.isEmpty());
    QCOMPARE(f.dialog->settings(), custom);
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
}

void TestOptionsDialog::resetAnsweredNoChangesNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("keys") << "cmdResetKeys"
                          << "Reset Keys"
                          << "Are you sure you want to reset Keys, Quick Keys, and Numlock option?";
    QTest::newRow("quick keys") << "Command1"
                                << "Reset Keys"
                                << "Are you sure you want to reset Keys, Quick Keys, and Numlock option?";
    QTest::newRow("colours") << "cmdResetColors"
                             << "Reset Colors"
                             << "Are you sure you want to reset the colors?";
    QTest::newRow("settings") << "cmdResetAdditSetttings"
                              << "Reset Settings?"
                              << "Are you sure you want to reset these settings?";
}

void TestOptionsDialog::resetAnsweredNoChangesNothing() {
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
    SettingsRecord custom = everythingChanged(QString(), QString());
    custom.LEDSelectedWidth = 4;
    OptionsFixture f(custom);
    const SettingsRecord defaults = OptionsFixture::defaults();

    f.messages.setNextAnswer(true);
    click(f, "cmdResetColors");
    SettingsRecord r = f.dialog->staged();
    QCOMPARE(r.LEDSelected, 4210752);
    for (auto [got, want] :
         {std::pair{r.TimeColor, defaults.TimeColor}, std::pair{r.LEDBack, defaults.LEDBack},
          std::pair{r.ScoreColor, defaults.ScoreColor}, std::pair{r.PeriodColor, defaults.PeriodColor},
          std::pair{r.FormBack, defaults.FormBack}, std::pair{r.BorderColor, defaults.BorderColor},
          std::pair{r.HomeColor, defaults.HomeColor}, std::pair{r.VisitorColor, defaults.VisitorColor}}) {
        QCOMPARE(got, want);
    }
    // The width label reads 0 while the bar stays; the bar's next move shows its own value.
    QCOMPARE(r.LEDSelectedWidth, 0);
    auto* width = f.child<QScrollBar>(QStringLiteral("scrLEDSelectedWidth"));
    QCOMPARE(width->value(), 4);
    width->setValue(2);
    QCOMPARE(f.dialog->staged().LEDSelectedWidth, 2);
    // The swatch on screen shows the reset colour.
    QCOMPARE(centreColour(f.child(QStringLiteral("picTimeC"))), rgbcolor::toQColor(33023));

    f.messages.setNextAnswer(true);
    click(f, "cmdResetAdditSetttings");
    r = f.dialog->staged();
    QCOMPARE(r.ShotClockResetTime, 35);
    QCOMPARE(r.BonusInner, 7);
    QCOMPARE(r.BonusOuter, 10);
    QCOMPARE(r.GamePeriod, 0);
    QCOMPARE(f.label(QStringLiteral("lblShotClock"))->text(), QStringLiteral("35"));
    QCOMPARE(f.child<RaisingScrollBar>(QStringLiteral("vsShotClock"))->shownValue(), 35);
    // Untouched groups keep their values.
    QCOMPARE(r.BuzzerKey, custom.BuzzerKey);
    QCOMPARE(r.TitleText, custom.TitleText);
}

void TestOptionsDialog::teamSizeRule_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("visitor");
    QTest::addColumn<bool>("measured");
    QTest::newRow("default names keep the stored size") << "Home"
                                                        << "Visitor" << false;
    QTest::newRow("other home name measures") << "Tigers"
                                              << "Visitor" << true;
    QTest::newRow("other visitor name measures") << "Home"
                                                 << "Lions" << true;
    QTest::newRow("empty names measure to 60") << ""
                                               << "" << true;
}

void TestOptionsDialog::teamSizeRule() {
    QFETCH(QString, home);
    QFETCH(QString, visitor);
    QFETCH(bool, measured);
    SettingsRecord record = OptionsFixture::defaults();
    record.HomeText = home;
    record.VisitorText = visitor;
    record.TeamSize = 37_cur; // no name measures to 37
    OptionsFixture f(record);
    QVERIFY(options::teamNameSize(home, visitor) != 37);
    const int expected = measured ? options::teamNameSize(home, visitor) : 37;
    QCOMPARE(int(f.dialog->tempSize()), expected);
    // The board name never changes it.
    QTest::keyClicks(f.child<QLineEdit>(QStringLiteral("txtTitleText")),
                     QStringLiteral("WWWWWWWWWWWWWWWWWW"));
    QCOMPARE(int(f.dialog->tempSize()), expected);
    click(f, "cmdOk");
    QCOMPARE(f.commits.first().TeamSize, Currency::fromInt(expected));
}

void TestOptionsDialog::textLimits_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("limit");
    QTest::newRow("board name") << "txtTitleText" << 25;
    QTest::newRow("home name") << "txtHomeText" << 20;
    QTest::newRow("visitor name") << "txtVisitorText" << 20;
}

void TestOptionsDialog::textLimits() {
    QFETCH(QString, box);
    QFETCH(int, limit);
    OptionsFixture f;
    auto* edit = f.child<QLineEdit>(box);
    edit->clear();
    QTest::keyClicks(edit, QString(limit + 1, QLatin1Char('x')));
    QCOMPARE(edit->text().size(), limit);
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
    QTest::newRow("width below") << "LEDSelectedWidth" << -2 << 0;
    QTest::newRow("unknown NumLock mode") << "NumLockForce" << 7 << 0;
    QTest::newRow("any non-zero game period is halves") << "GamePeriod" << 4 << 1;
}

void TestOptionsDialog::storedValuesClamped() {
    QFETCH(QString, field);
    QFETCH(int, stored);
    QFETCH(int, shown);
    const QMap<QString, std::int16_t SettingsRecord::*> shorts{
        {"LEDType", &SettingsRecord::LEDType},
        {"ShotClockResetTime", &SettingsRecord::ShotClockResetTime},
        {"BonusInner", &SettingsRecord::BonusInner},
        {"BonusOuter", &SettingsRecord::BonusOuter},
        {"LEDSelectedWidth", &SettingsRecord::LEDSelectedWidth},
        {"GamePeriod", &SettingsRecord::GamePeriod}};
    SettingsRecord record = OptionsFixture::defaults();
    if (field == u"NumLockForce") {
        record.NumLockForce = stored;
    } else {
        record.*shorts[field] = static_cast<std::int16_t>(stored);
    }
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    const SettingsRecord staged = f.dialog->staged();
    QCOMPARE(field == u"NumLockForce" ? staged.NumLockForce : int(staged.*shorts[field]), shown);
}

void TestOptionsDialog::upperArrowRaises_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("step");
    QTest::newRow("shot clock") << "vsShotClock"
                                << "lblShotClock" << 35 << 1;
    QTest::newRow("inner bonus") << "vsBonusInner"
                                 << "lblBonusInner" << 7 << 1;
    QTest::newRow("outer bonus") << "vsBonusOuter"
                                 << "lblBonusOuter" << 10 << 1;
    QTest::newRow("shot clock at the top stays") << "vsShotClock"
                                                 << "lblShotClock" << 99 << 0;
    QTest::newRow("width, right arrow") << "scrLEDSelectedWidth"
                                        << "lblLEDSelectedWidthValue" << 0 << 1;
    QTest::newRow("width at the top stays") << "scrLEDSelectedWidth"
                                            << "lblLEDSelectedWidthValue" << 5 << 0;
}

void TestOptionsDialog::upperArrowRaises() {
    QFETCH(QString, bar);
    QFETCH(QString, label);
    QFETCH(int, from);
    QFETCH(int, step);
    SettingsRecord record = OptionsFixture::defaults();
    record.ShotClockResetTime = static_cast<std::int16_t>(bar == u"vsShotClock" ? from : 35);
    record.LEDSelectedWidth = static_cast<std::int16_t>(bar == u"scrLEDSelectedWidth" ? from : 0);
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    auto* scroll = f.child<QScrollBar>(bar);
    auto* page = f.child<QTabWidget>(QStringLiteral("SSTab1"));
    page->setCurrentIndex(bar == u"scrLEDSelectedWidth" ? 2 : 5);
    // The raising arrow: the top one of an upright bar, the right one of a flat bar.
    const QPoint arrow = scroll->orientation() == Qt::Vertical
                             ? QPoint(scroll->width() / 2, 3)
                             : QPoint(scroll->width() - 3, scroll->height() / 2);
    QTest::mouseClick(scroll, Qt::LeftButton, {}, arrow);
    QCOMPARE(f.label(label)->text(), QString::number(from + step));
    // The other arrow lowers it again.
    const QPoint other = scroll->orientation() == Qt::Vertical
                             ? QPoint(scroll->width() / 2, scroll->height() - 3)
                             : QPoint(3, scroll->height() / 2);
    QTest::mouseClick(scroll, Qt::LeftButton, {}, other);
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
    QCOMPARE(f.label(QStringLiteral("lblKeyBuzzer"))->text(), QStringLiteral("B"));
    QCOMPARE(f.dialog->homePicTemp(), picture);
    QVERIFY(!f.label(QStringLiteral("imgHomePicPreview"))->pixmap().isNull());
}

void TestOptionsDialog::colourChooser() {
    OptionsFixture f;
    QWidget* swatch = f.child(QStringLiteral("picScoreC"));
    // Cancelled: the swatch keeps its colour, and the chooser was offered it.
    f.chooser.setNextColor(std::nullopt);
    click(f, "cmdScoreC");
    QCOMPARE(f.chooser.lastInitialColor(), rgbcolor::toQColor(255));
    QCOMPARE(centreColour(swatch), rgbcolor::toQColor(255));
    QCOMPARE(f.dialog->staged().ScoreColor, 255);
    // Chosen: the swatch shows it and OK would save it.
    f.chooser.setNextColor(QColor(0, 128, 255));
    click(f, "cmdScoreC");
    QCOMPARE(centreColour(swatch), QColor(0, 128, 255));
    QCOMPARE(f.dialog->staged().ScoreColor, 0xFF8000);
}

void TestOptionsDialog::pictureChooser() {
    const QString wide = writePicture(QStringLiteral("wide.png"), {80, 40}, Qt::red);
    const QString bitmap = writePicture(QStringLiteral("square.bmp"), {16, 16}, Qt::yellow);
    QVERIFY(!wide.isEmpty() && !bitmap.isEmpty());
    OptionsFixture f;
    auto* image = f.label(QStringLiteral("imgHomePicPreview"));
    auto* frame = f.child<QFrame>(QStringLiteral("picHomePicPreviewCon"));

    f.chooser.setNextFileName(wide);
    click(f, "cmdChangeHomePic");
    for (const char* pattern : {"*.bmp", "*.gif", "*.jpg", "*.png"}) {
        QVERIFY2(f.chooser.lastFilter().contains(QLatin1String(pattern)), pattern);
    }
    QCOMPARE(f.dialog->homePicTemp(), wide);
    // Twice as wide as high in a square frame: full width, half height, centred.
    const QRect inner = frame->contentsRect();
    QCOMPARE(image->width(), inner.width());
    QVERIFY(qAbs(image->height() - inner.height() / 2) <= 1);
    QVERIFY(qAbs(image->y() - (inner.top() + (inner.height() - image->height()) / 2)) <= 1);
    const QImage shown = frame->grab().toImage();
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::red));
    QVERIFY(shown.pixelColor(shown.width() / 2, inner.top() + 2) != QColor(Qt::red));

    // A cancelled visitor chooser leaves the visitor picture alone, and started from the last file.
    f.chooser.setNextFileName(QString());
    click(f, "cmdChangeVisitorPic");
    QCOMPARE(f.chooser.lastStartFile(), wide);
    QCOMPARE(f.dialog->visitorPicTemp(), QString());
    // A chosen name whose file does not exist changes nothing either.
    f.chooser.setNextFileName(m_dir.filePath(QStringLiteral("gone.png")));
    click(f, "cmdChangeBoardPic");
    QCOMPARE(f.dialog->boardPicTemp(), QString());
    f.chooser.setNextFileName(bitmap);
    click(f, "cmdChangeBoardPic");
    QCOMPARE(f.dialog->boardPicTemp(), bitmap);

    // Clear empties the path and the preview; OK saves no picture.
    click(f, "cmdClearHomePic");
    QVERIFY(image->pixmap().isNull());
    click(f, "cmdClearVisitorPic"); // never set: stays empty
    click(f, "cmdOk");
    QCOMPARE(f.commits.first().HomePic, QString());
    QCOMPARE(f.commits.first().VisitorPic, QString());
    QCOMPARE(f.commits.first().BoardPic, bitmap);
}

void TestOptionsDialog::pictureThatCannotBeReadChangesNothing() {
    const QString good = writePicture(QStringLiteral("good.png"), {30, 30}, Qt::green);
    const QString bad = m_dir.filePath(QStringLiteral("bad.png"));
    {
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no picture");
    }
    SettingsRecord record = OptionsFixture::defaults();
    record.VisitorPic = good;
    OptionsFixture f(record);
    const QImage before = f.label(QStringLiteral("imgVisitorPicPreview"))->pixmap().toImage();
    QVERIFY(!before.isNull());

    f.chooser.setNextFileName(bad);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a readable picture.*bad.png")));
    click(f, "cmdChangeVisitorPic");
    QCOMPARE(f.dialog->visitorPicTemp(), good);
    QCOMPARE(f.label(QStringLiteral("imgVisitorPicPreview"))->pixmap().toImage(), before);
    // Still usable: another choice goes through.
    f.chooser.setNextFileName(good);
    click(f, "cmdChangeHomePic");
    QCOMPARE(f.dialog->homePicTemp(), good);
}

void TestOptionsDialog::soundChooser() {
    const QString wave = writeWave(QStringLiteral("horn.wav"));
    const QString notWave = m_dir.filePath(QStringLiteral("noise.wav"));
    {
        QFile file(notWave);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a wave file at all");
    }
    RecordingSound sound;
    OptionsFixture f;
    // Rebuild with a sound device to hear the choice.
    OptionsEnvironment env;
    env.chooser = &f.chooser;
    env.messages = &f.messages;
    env.sound = &sound;
    frmOptions dialog(OptionsFixture::defaults(), env);
    auto* buzzer = dialog.findChild<QPushButton*>(QStringLiteral("cmdBuzzerSound"));
    auto* caption = dialog.findChild<QLabel*>(QStringLiteral("lblBFile"));

    // A picture chooser first: the sound chooser still offers only wave files.
    f.chooser.setNextFileName(QString());
    dialog.findChild<QPushButton*>(QStringLiteral("cmdChangeHomePic"))->click();
    f.chooser.setNextFileName(notWave);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not a playable wave file")));
    buzzer->click();
    QCOMPARE(f.chooser.lastFilter(), QStringLiteral("Sounds (*.wav)"));
    QCOMPARE(dialog.buzzTemp(), OptionsFixture::defaults().BuzzerFile);
    QCOMPARE(sound.plays, 0);

    f.chooser.setNextFileName(wave);
    buzzer->click();
    QCOMPARE(dialog.buzzTemp(), wave);
    QCOMPARE(caption->text(), options::fileCaption(wave));
    QCOMPARE(sound.opened, QStringList{wave});
    QCOMPARE(sound.plays, 1);

    // Cancelled, and a name that does not exist: nothing changes.
    f.chooser.setNextFileName(QString());
    buzzer->click();
    f.chooser.setNextFileName(m_dir.filePath(QStringLiteral("missing.wav")));
    buzzer->click();
    QCOMPARE(dialog.buzzTemp(), wave);
    QCOMPARE(sound.plays, 1);
}

void TestOptionsDialog::digitStyleDrivesPreview() {
    OptionsFixture f;
    auto* combo = f.child<QComboBox>(QStringLiteral("cmbLedType"));
    auto* preview = f.child<DotPanel>(QStringLiteral("dotPreview"));
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("Lines"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Dots"));
    const QImage lines = preview->grab().toImage();
    combo->setCurrentIndex(1);
    QCOMPARE(preview->ledType(), 1);
    const QImage dots = preview->grab().toImage();
    QVERIFY(lines != dots);
    combo->setCurrentIndex(0);
    QCOMPARE(preview->grab().toImage(), lines);
}

void TestOptionsDialog::pagesRender() {
    // Every page shows its groups inside the dialog; with RAVENMARK_SCREENSHOT_DIR set the
    // pages are also written out as pictures.
    const QString picture = writePicture(QStringLiteral("team.png"), {64, 48}, QColor(30, 80, 160));
    SettingsRecord record = OptionsFixture::defaults();
    record.HomePic = picture;
    record.BuzzerFile = QStringLiteral("/usr/share/ravenmark/sounds/basketball-arena-buzzer.wav");
    OptionsFixture f(record);
    QVERIFY(f.showActive());
    auto* tabs = f.child<QTabWidget>(QStringLiteral("SSTab1"));
    const QString out = qEnvironmentVariable("RAVENMARK_SCREENSHOT_DIR");
    const char* names[] = {"keys", "quick-keys", "colors", "text", "pictures", "other-settings"};
    QCOMPARE(tabs->count(), 6);
    const QRect client = f.dialog->rect();
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        // Every control of the page lies wholly inside the page and the dialog.
        for (QWidget* w : tabs->widget(page)->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(f.dialog.get()) || w->objectName().isEmpty()) {
                continue;
            }
            const QRect inDialog(w->mapTo(f.dialog.get(), QPoint(0, 0)), w->size());
            QVERIFY2(client.contains(inDialog), qPrintable(w->objectName()));
            const QRect inPage(w->mapTo(tabs->widget(page), QPoint(0, 0)), w->size());
            QVERIFY2(tabs->widget(page)->rect().contains(inPage), qPrintable(w->objectName()));
        }
        const QImage shot = f.dialog->grab().toImage();
        if (!out.isEmpty()) {
            QVERIFY(QDir().mkpath(out));
            QVERIFY(shot.save(QStringLiteral("%1/options-%2.png").arg(out, QLatin1String(names[page]))));
        }
    }
    // The colours page shows each swatch in its colour.
    tabs->setCurrentIndex(2);
    QCOMPARE(centreColour(f.child(QStringLiteral("picTimeC"))), rgbcolor::toQColor(33023));
    QCOMPARE(centreColour(f.child(QStringLiteral("picPeriodC"))), rgbcolor::toQColor(49152));
    QCOMPARE(f.label(QStringLiteral("lblBFile"))->text(),
             QStringLiteral("/usr/share ...") + QDir::separator());
}

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
