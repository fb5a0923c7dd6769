#include "options/optionspages.h"

#include "components/dotpanel.h"
#include "components/imagebox.h"
#include "options/optionsrules.h"
#include "options/optionswidgets.h"
#include "platform/numlock.h"
#include "platform/rgbcolor.h"
#include "platform/sounddevice.h"
#include "platform/twips.h"
#include "presentation/fitpicture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

using namespace options::layout;

bool OptionsPage::askToReset(const QString& text, const QString& title) {
    return m_context.env.messages->askYesNo(window(), title, text);
}

QString OptionsPage::chooseExistingFile(const QString& filter) {
    const QString file = m_context.env.chooser->chooseFile(window(), filter, m_context.lastFileName);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        return {};
    }
    m_context.lastFileName = file;
    return file;
}

QLabel* addKeyGroup(QWidget* page, const QString& title, const char* labelName, QPoint twipsOnPage) {
    QGroupBox* group = addGroup(page, title, QRect(twipsOnPage, QSize(1575, 735)));
    auto* label = new QLabel(group);
    label->setObjectName(QLatin1String(labelName));
    // Its name on the accessibility bus is the key it shows; what it binds is in its description.
    label->setAccessibleDescription(QStringLiteral("%1 %2").arg(QLatin1String(labelName), title));
    label->setGeometry(inside(QRect(120, 255, 1335, 375)));
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    setBackground(label, Qt::white);
    return label;
}

// ---- Keys ----

KeysPage::KeysPage(OptionsContext& context) : OptionsPage(context) {
    const std::array<std::tuple<const char*, const char*, QPoint>, 7> groups{{
        {"Start/Stop clock:", "lblKeyStartStopClock", {360, 600}},
        {"Reset clock:", "lblKeyResetClock", {2160, 600}},
        {"Reset shot-clock:", "lblKeyResetShotClock", {3960, 600}},
        {"Game/Clock switch:", "lblKeyClockSwitch", {360, 1440}},
        {"Clear Number:", "lblKeyClear", {2160, 1440}},
        {"Buzzer:", "lblKeyBuzzer", {3960, 1440}},
        {"Short reset:", "lblKeyShortReset", {360, 2400}},
    }};
    for (const auto& [title, name, at] : groups) {
        addKeyGroup(this, QLatin1String(title), name, at);
    }
    QGroupBox* numLock = addGroup(this, QStringLiteral("Numlock Options:"), QRect(2040, 2400, 1935, 1455));
    optNormal = addOption(numLock, "optNormal", QStringLiteral("Normal Mode"), QRect(120, 360, 1755, 285));
    optKeepOn =
        addOption(numLock, "optKeepOn", QStringLiteral("Keep Numlock On"), QRect(120, 720, 1755, 285));
    optKeepOff =
        addOption(numLock, "optKeepOff", QStringLiteral("Keep Numlock Off"), QRect(120, 1080, 1755, 285));
    QPushButton* reset = addButton(this, "cmdResetKeys", QStringLiteral("Reset Keys"), onPage(ResetButton));
    connect(reset, &QPushButton::clicked, this, &KeysPage::resetKeysClicked);
}

void KeysPage::load(const SettingsRecord& s) {
    // A mode the board does not know behaves as "leave alone", so it shows so.
    using namespace modGrabKeys;
    (s.NumLockForce == NumLockKeepOn    ? optKeepOn
     : s.NumLockForce == NumLockKeepOff ? optKeepOff
                                        : optNormal)
        ->setChecked(true);
}

void KeysPage::save(SettingsRecord& s) const {
    if (optNormal->isChecked()) {
        s.NumLockForce = modGrabKeys::NumLockLeaveAlone;
    } else if (optKeepOn->isChecked()) {
        s.NumLockForce = modGrabKeys::NumLockKeepOn;
    } else if (optKeepOff->isChecked()) {
        s.NumLockForce = modGrabKeys::NumLockKeepOff;
    }
}

void KeysPage::selectNormalMode() {
    optNormal->setChecked(true);
}

QuickKeysPage::QuickKeysPage(OptionsContext& context) : OptionsPage(context) {
    const std::array<std::tuple<const char*, const char*, QPoint>, 11> groups{{
        {"Home Score +1", "lblKeyHS1", {360, 600}},
        {"Home Score +2:", "lblKeyHS2", {2160, 600}},
        {"Home Score +3", "lblKeyHS3", {3960, 600}},
        {"Visitor Score +1", "lblKeyVS1", {360, 1560}},
        {"Visitor Score +2", "lblKeyVS2", {2160, 1560}},
        {"Visitor Score +3", "lblKeyVS3", {3960, 1560}},
        {"Home Foul +1", "lblKeyHF1", {360, 2520}},
        {"Visitor Foul +1:", "lblKeyVF1", {2160, 2520}},
        {"Period +1", "lblKeyPeriod1", {3960, 2520}},
        {"TOL Home -1", "lblKeyTolH1", {360, 3480}},
        {"TOL Visitor -1", "lblKeyTolV1", {2160, 3480}},
    }};
    for (const auto& [title, name, at] : groups) {
        addKeyGroup(this, QLatin1String(title), name, at);
    }
    QPushButton* reset = addButton(this, "Command1", QStringLiteral("Reset Keys"), onPage(ResetButton));
    connect(reset, &QPushButton::clicked, this, &QuickKeysPage::resetKeysClicked);
}

// ---- Colors ----

ColorSwatch* ColorsPage::addColorGroup(const QString& title, const char* swatchName, const char* buttonName,
                                       QRect twips) {
    QGroupBox* group = addGroup(this, title, twips);
    auto* swatch = new ColorSwatch(group);
    swatch->setObjectName(QLatin1String(swatchName));
    swatch->setGeometry(inside(QRect(120, 255, 615, 375)));
    QPushButton* change =
        addButton(group, buttonName, QStringLiteral("Change"), inside(QRect(840, 255, 735, 375)));
    connect(change, &QPushButton::clicked, this, [this, swatch] { chooseColor(swatch); });
    return swatch;
}

ColorsPage::ColorsPage(OptionsContext& context) : OptionsPage(context) {
    const QSize group(1695, 735);
    picTimeC = addColorGroup(QStringLiteral("Time Color:"), "picTimeC", "cmdTimeC", {{240, 600}, group});
    picHomeC = addColorGroup(QStringLiteral("Home Color:"), "picHomeC", "cmdHomeC", {{2040, 600}, group});
    picVisitorC =
        addColorGroup(QStringLiteral("Visitor Color:"), "picVisitorC", "cmdVisitorC", {{3840, 600}, group});
    picScoreC = addColorGroup(QStringLiteral("Score Color:"), "picScoreC", "cmdScoreC", {{240, 1620}, group});
    picPeriodC =
        addColorGroup(QStringLiteral("Period Color:"), "picPeriodC", "cmdPeriodC", {{2040, 1620}, group});
    picLEDB = addColorGroup(QStringLiteral("LED Background:"), "picLEDB", "cmdLEDB", {{3840, 1680}, group});
    picBackC = addColorGroup(QStringLiteral("Back Color:"), "picBackC", "cmdBackC", {{240, 2640}, group});
    picLedSelected = addColorGroup(QStringLiteral("LED Selected"), "picLedSelected", "cmdLedSelected",
                                   QRect(2040, 2640, 1695, 1095));
    picBorderC =
        addColorGroup(QStringLiteral("Border Color:"), "picBorderC", "cmdBorderC", {{3840, 2640}, group});

    // The mark's width, under its swatch. Lying flat, its right-hand arrow raises the value.
    QWidget* selected = picLedSelected->parentWidget();
    addCaption(selected, QStringLiteral("Width:"), QRect(105, 720, 465, 255));
    lblLEDSelectedWidthValue = addValueLabel(selected, "lblLEDSelectedWidthValue", QRect(570, 690, 345, 285));
    scrLEDSelectedWidth = new QScrollBar(Qt::Horizontal, selected);
    scrLEDSelectedWidth->setObjectName(QStringLiteral("scrLEDSelectedWidth"));
    scrLEDSelectedWidth->setRange(options::SelectedWidthRange.low, options::SelectedWidthRange.high);
    scrLEDSelectedWidth->setPageStep(1);
    scrLEDSelectedWidth->setGeometry(inside(QRect(960, 690, 630, 285)));
    connect(scrLEDSelectedWidth, &QScrollBar::valueChanged, this,
            [this](int value) { lblLEDSelectedWidthValue->setText(QString::number(value)); });

    QPushButton* reset =
        addButton(this, "cmdResetColors", QStringLiteral("Reset Colors"), onPage(ResetButton));
    connect(reset, &QPushButton::clicked, this, &ColorsPage::resetColors);
}

void ColorsPage::load(const SettingsRecord& s) {
    for (auto [swatch, color] :
         {std::pair{picTimeC, s.TimeColor}, std::pair{picScoreC, s.ScoreColor}, std::pair{picLEDB, s.LEDBack},
          std::pair{picLedSelected, s.LEDSelected}, std::pair{picPeriodC, s.PeriodColor},
          std::pair{picBackC, s.FormBack}, std::pair{picBorderC, s.BorderColor},
          std::pair{picHomeC, s.HomeColor}, std::pair{picVisitorC, s.VisitorColor}}) {
        swatch->setColor(color);
    }
    const int width = options::SelectedWidthRange.clamp(s.LEDSelectedWidth);
    scrLEDSelectedWidth->setValue(width);
    lblLEDSelectedWidthValue->setText(QString::number(width));
}

void ColorsPage::save(SettingsRecord& s) const {
    s.TimeColor = picTimeC->color();
    s.LEDBack = picLEDB->color();
    s.LEDSelected = picLedSelected->color();
    s.ScoreColor = picScoreC->color();
    s.PeriodColor = picPeriodC->color();
    s.FormBack = picBackC->color();
    s.BorderColor = picBorderC->color();
    s.HomeColor = picHomeC->color();
    s.VisitorColor = picVisitorC->color();
    // The label, not the bar: the colour reset writes 0 into the label alone.
    s.LEDSelectedWidth = static_cast<std::int16_t>(lblLEDSelectedWidthValue->text().toInt());
}

void ColorsPage::chooseColor(ColorSwatch* swatch) {
    const std::optional<QColor> chosen =
        m_context.env.chooser->chooseColor(window(), rgbcolor::toQColor(swatch->color()));
    if (chosen && chosen->isValid()) {
        swatch->setColor(rgbcolor::fromQColor(*chosen));
    }
}

void ColorsPage::resetColors() {
    if (!askToReset(QStringLiteral("Are you sure you want to reset the colors?"),
                    QStringLiteral("Reset Colors"))) {
        return;
    }
    const SettingsRecord d = DefaultSettings(QString());
    picLedSelected->setColor(d.LEDSelected);
    // The bar stays where it is; its next change shows its own value again.
    lblLEDSelectedWidthValue->setText(QString::number(d.LEDSelectedWidth));
    picTimeC->setColor(d.TimeColor);
    picLEDB->setColor(d.LEDBack);
    picScoreC->setColor(d.ScoreColor);
    picPeriodC->setColor(d.PeriodColor);
    picBackC->setColor(d.FormBack);
    picBorderC->setColor(d.BorderColor);
    picHomeC->setColor(d.HomeColor);
    picVisitorC->setColor(d.VisitorColor);
}

// ---- Text ----

TextPage::TextPage(OptionsContext& context) : OptionsPage(context) {
    const auto addTextGroup = [this](const QString& title, const char* name, int top, int maxLength) {
        QGroupBox* group = addGroup(this, title, QRect(540, top, 4815, 975));
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(inside(QRect(240, 315, 4335, 495)));
        edit->setFont(arialFont(15.75));
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(maxLength);
        return edit;
    };
    txtTitleText = addTextGroup(QStringLiteral("Board Name:"), "txtTitleText", 600, options::TitleLength);
    txtHomeText = addTextGroup(QStringLiteral("Home Name:"), "txtHomeText", 1680, options::TeamNameLength);
    txtVisitorText =
        addTextGroup(QStringLiteral("Visitor Name:"), "txtVisitorText", 2760, options::TeamNameLength);

    // The measuring labels are never seen; they only hold the names at the size found.
    for (auto [label, name, text, top] :
         {std::tuple{&lblHomePreview, "lblHomePreview", "Home", 6120},
          std::tuple{&lblVisitorPreview, "lblVisitorPreview", "Visitor", 6240}}) {
        *label = new QLabel(QLatin1String(text), this);
        (*label)->setObjectName(QLatin1String(name));
        (*label)->setFrameShape(QFrame::Box);
        (*label)->move(twips::toPixels(QPoint(120, top)));
        (*label)->hide();
    }
    // Only the team names decide their size; the board name does not.
    for (auto [edit, label] :
         {std::pair{txtHomeText, lblHomePreview}, std::pair{txtVisitorText, lblVisitorPreview}}) {
        connect(edit, &QLineEdit::textChanged, this, [this, label](const QString& text) {
            label->setText(text);
            PreviewIt();
        });
    }
}

void TextPage::load(const SettingsRecord& s) {
    TempSize = options::tempSizeFrom(s.TeamSize);
    // The boxes start from "Home" and "Visitor" at every opening, so the size is measured
    // again only when a loaded name differs from those.
    for (auto [edit, label, start] : {std::tuple{txtHomeText, lblHomePreview, "Home"},
                                      std::tuple{txtVisitorText, lblVisitorPreview, "Visitor"}}) {
        const QSignalBlocker blocker(edit);
        edit->setText(QLatin1String(start));
        label->setText(QLatin1String(start));
    }
    txtTitleText->setText(s.TitleText);
    txtHomeText->setText(s.HomeText);
    txtVisitorText->setText(s.VisitorText);
}

void TextPage::save(SettingsRecord& s) const {
    s.TitleText = txtTitleText->text();
    s.HomeText = txtHomeText->text();
    s.VisitorText = txtVisitorText->text();
    s.TeamSize = Currency::fromInt(TempSize);
}

void TextPage::PreviewIt() {
    TempSize =
        static_cast<std::int16_t>(options::teamNameSize(lblHomePreview->text(), lblVisitorPreview->text()));
    for (QLabel* label : {lblHomePreview, lblVisitorPreview}) {
        label->setFont(options::teamNameFont(TempSize));
        label->adjustSize();
    }
}

// ---- Pictures ----

void PicturesPage::addPictureGroup(const QString& title, Preview& preview, const char* stem, QPoint twips) {
    QGroupBox* group = addGroup(this, title, QRect(twips, QSize(2415, 1575)));
    const QString name = QLatin1String(stem);
    auto* container = new QFrame(group);
    container->setObjectName(QStringLiteral("pic%1PicPreviewCon").arg(name));
    container->setFrameShape(QFrame::Box);
    container->setGeometry(inside(QRect(120, 255, 1215, 1215)));
    // The picture fits within the border, which stays visible around it.
    preview.area = new QWidget(container);
    preview.area->setGeometry(container->contentsRect());
    preview.image = new ImageBox(preview.area);
    preview.image->setObjectName(QStringLiteral("img%1PicPreview").arg(name));
    preview.image->setGeometry(preview.area->rect());
    auto* change = new QPushButton(QStringLiteral("Change"), group);
    change->setObjectName(QStringLiteral("cmdChange%1Pic").arg(name));
    change->setGeometry(inside(QRect(1455, 375, 840, 375)));
    auto* clear = new QPushButton(QStringLiteral("Clear"), group);
    clear->setObjectName(QStringLiteral("cmdClear%1Pic").arg(name));
    clear->setGeometry(inside(QRect(1455, 855, 840, 375)));
    connect(change, &QPushButton::clicked, this, [this, &preview] { choosePicture(preview); });
    connect(clear, &QPushButton::clicked, this, [this, &preview] {
        preview.staged->clear();
        showPicture(preview);
    });
}

PicturesPage::PicturesPage(OptionsContext& context) : OptionsPage(context) {
    m_home.staged = &HomePicTemp;
    m_visitor.staged = &VisitorPicTemp;
    m_board.staged = &BoardPicTemp;
    addPictureGroup(QStringLiteral("Home Picture:"), m_home, "Home", {360, 600});
    addPictureGroup(QStringLiteral("Visitor Picture:"), m_visitor, "Visitor", {3120, 600});
    addPictureGroup(QStringLiteral("Scoreboard Picture:"), m_board, "Board", {360, 2280});

    QGroupBox* digits = addGroup(this, QStringLiteral("Digit Type:"), QRect(3120, 2280, 2415, 1575));
    cmbLedType = new QComboBox(digits);
    cmbLedType->setObjectName(QStringLiteral("cmbLedType"));
    cmbLedType->addItems({QStringLiteral("Lines"), QStringLiteral("Dots")});
    cmbLedType->setGeometry(inside(QRect(120, 375, 1215, 330)));
    addCaption(digits, QStringLiteral("Preview:"), QRect(1455, 255, 840, 255));
    dotPreview = new DotPanel(digits);
    dotPreview->setObjectName(QStringLiteral("dotPreview"));
    dotPreview->setDigitSize(twips::toPixels(975));
    dotPreview->setCaption(8);
    dotPreview->setLitColor(QColor(255, 0, 0));
    dotPreview->setBackColor(Qt::black);
    dotPreview->move(twips::toPixels(QPoint(1605, 510)));
    connect(cmbLedType, &QComboBox::currentIndexChanged, dotPreview, &DotPanel::setLedType);
}

void PicturesPage::load(const SettingsRecord& s) {
    HomePicTemp = s.HomePic;
    VisitorPicTemp = s.VisitorPic;
    BoardPicTemp = s.BoardPic;
    // From nothing: an earlier opening's picture must not stay when its file is gone.
    for (Preview* preview : {&m_home, &m_visitor, &m_board}) {
        preview->image->clearPicture();
        showPicture(*preview);
    }
    cmbLedType->setCurrentIndex(options::LedTypeRange.clamp(s.LEDType));
    dotPreview->setLedType(cmbLedType->currentIndex());
}

void PicturesPage::save(SettingsRecord& s) const {
    s.HomePic = HomePicTemp;
    s.VisitorPic = VisitorPicTemp;
    s.BoardPic = BoardPicTemp;
    s.LEDType = static_cast<std::int16_t>(cmbLedType->currentIndex());
}

void PicturesPage::showPicture(Preview& preview) {
    modGrabKeys::FitPicture(*preview.image, *preview.area, *preview.staged);
}

void PicturesPage::choosePicture(Preview& preview) {
    const QString file = chooseExistingFile(QStringLiteral("Pictures (*.bmp *.gif *.jpg *.jpeg *.png)"));
    if (file.isEmpty()) {
        return;
    }
    // Shown first, staged only when it could be shown: a file that gives no picture keeps
    // both the staged path and the preview, and the fitting has logged why.
    modGrabKeys::FitPicture(*preview.image, *preview.area, file);
    if (preview.image->lastFailure() == file) {
        return;
    }
    *preview.staged = file;
}

// ---- Other settings ----

OtherSettingsPage::OtherSettingsPage(OptionsContext& context) : OptionsPage(context) {
    QGroupBox* bonus = addGroup(this, QStringLiteral("Bonus Foul Indicators:"), QRect(240, 600, 3255, 1575));
    const auto addBonusRow = [bonus](const char* labelName, const char* barName, const QString& caption,
                                     int top, QLabel*& label, RaisingScrollBar*& bar) {
        addCaption(bonus, caption, QRect(120, top + 60, 1575, 255));
        label = addValueLabel(bonus, labelName, QRect(1695, top + 30, 495, 315));
        bar = new RaisingScrollBar(options::BonusRange.low, options::BonusRange.high, bonus);
        bar->setObjectName(QLatin1String(barName));
        bar->setGeometry(inside(QRect(2250, top - 60, 255, 495)));
        addCaption(bonus, QStringLiteral("fouls."), QRect(2595, top + 60, 600, 255));
    };
    addBonusRow("lblBonusInner", "vsBonusInner", QStringLiteral("Light Inner Bonus at"), 330, lblBonusInner,
                vsBonusInner);
    addBonusRow("lblBonusOuter", "vsBonusOuter", QStringLiteral("Light Outer Bonus at"), 960, lblBonusOuter,
                vsBonusOuter);

    QGroupBox* shot = addGroup(this, QStringLiteral("Reset Shot Clock to:"), QRect(3600, 600, 2055, 855));
    lblShotClock = addValueLabel(shot, "lblShotClock", QRect(240, 360, 495, 315));
    vsShotClock = new RaisingScrollBar(options::ShotClockRange.low, options::ShotClockRange.high, shot);
    vsShotClock->setObjectName(QStringLiteral("vsShotClock"));
    vsShotClock->setGeometry(inside(QRect(795, 270, 255, 495)));
    addCaption(shot, QStringLiteral("Seconds"), QRect(1140, 390, 800, 255));

    QGroupBox* division =
        addGroup(this, QStringLiteral("Game is divided into:"), QRect(3600, 1560, 2055, 975));
    otnGamePeriod =
        addOption(division, "otnGamePeriod", QStringLiteral("Periods"), QRect(240, 300, 1575, 285));
    otnGameHalf = addOption(division, "otnGameHalf", QStringLiteral("Halves"), QRect(240, 600, 1575, 285));

    for (auto [bar, label] : {std::pair{vsBonusInner, lblBonusInner}, std::pair{vsBonusOuter, lblBonusOuter},
                              std::pair{vsShotClock, lblShotClock}}) {
        connect(bar, &RaisingScrollBar::shownValueChanged, label,
                [label](int value) { label->setText(QString::number(value)); });
    }

    QPushButton* buzzer = addButton(this, "cmdBuzzerSound", QStringLiteral("Change Buzzer Sound..."),
                                    onPage(QRect(240, 2760, 2175, 375)));
    connect(buzzer, &QPushButton::clicked, this, &OtherSettingsPage::chooseBuzzerSound);
    QPushButton* test =
        addButton(this, "cmdTestBuzzer", QStringLiteral("Test"), onPage(QRect(2535, 2760, 975, 375)));
    connect(test, &QPushButton::clicked, this, &OtherSettingsPage::testBuzzerSound);
    lblBFile = new QLabel(this);
    lblBFile->setObjectName(QStringLiteral("lblBFile"));
    lblBFile->setFont(arialFont(9.75));
    lblBFile->setGeometry(onPage(QRect(240, 3255, 5175, 285)));

    QPushButton* reset =
        addButton(this, "cmdResetAdditSetttings", QStringLiteral("Reset Settings"), onPage(ResetButton));
    connect(reset, &QPushButton::clicked, this, &OtherSettingsPage::resetAdditionalSettings);
}

void OtherSettingsPage::load(const SettingsRecord& s) {
    BuzzTemp = s.BuzzerFile;
    for (auto [bar, label, value, range] :
         {std::tuple{vsShotClock, lblShotClock, s.ShotClockResetTime, options::ShotClockRange},
          std::tuple{vsBonusInner, lblBonusInner, s.BonusInner, options::BonusRange},
          std::tuple{vsBonusOuter, lblBonusOuter, s.BonusOuter, options::BonusRange}}) {
        const int shown = range.clamp(value);
        bar->setShownValue(shown);
        label->setText(QString::number(shown));
    }
    // The board counts any non-zero value as halves.
    (s.GamePeriod == 0 ? otnGamePeriod : otnGameHalf)->setChecked(true);
    lblBFile->setText(options::fileCaption(BuzzTemp));
}

void OtherSettingsPage::save(SettingsRecord& s) const {
    s.ShotClockResetTime = static_cast<std::int16_t>(lblShotClock->text().toInt());
    s.BonusInner = static_cast<std::int16_t>(lblBonusInner->text().toInt());
    s.BonusOuter = static_cast<std::int16_t>(lblBonusOuter->text().toInt());
    s.GamePeriod = otnGamePeriod->isChecked() ? 0 : 1;
    s.BuzzerFile = BuzzTemp;
}

void OtherSettingsPage::resetAdditionalSettings() {
    if (!askToReset(QStringLiteral("Are you sure you want to reset these settings?"),
                    QStringLiteral("Reset Settings?"))) {
        return;
    }
    const SettingsRecord d = DefaultSettings(QString());
    for (auto [bar, label, value] : {std::tuple{vsShotClock, lblShotClock, d.ShotClockResetTime},
                                     std::tuple{vsBonusInner, lblBonusInner, d.BonusInner},
                                     std::tuple{vsBonusOuter, lblBonusOuter, d.BonusOuter}}) {
        bar->setShownValue(value);
        label->setText(QString::number(value)); // the bar may stand there already
    }
    (d.GamePeriod == 0 ? otnGamePeriod : otnGameHalf)->setChecked(true);
}

void OtherSettingsPage::chooseBuzzerSound() {
    const QString file = chooseExistingFile(QStringLiteral("Sounds (*.wav)"));
    if (file.isEmpty()) {
        return;
    }
    // Only staged: a game may be on, and the horn must not sound in the hall until asked ("Test").
    // A file the buzzer could not play keeps the sound it has, and the operator is told why now,
    // not at the end of a period.
    QString why;
    if (!m_context.env.checkSound(file, &why)) {
        qCWarning(lcOptions).noquote() << "not a playable wave file:" << file + ":" << why;
        m_context.env.messages->warn(window(), QStringLiteral("Buzzer Sound"),
                                     QStringLiteral("This file cannot be played as the buzzer:\n%1\n\n%2\n\n"
                                                    "The buzzer keeps its sound.")
                                         .arg(QDir::toNativeSeparators(file), why));
        return;
    }
    BuzzTemp = file;
    lblBFile->setText(options::fileCaption(BuzzTemp));
}

void OtherSettingsPage::testBuzzerSound() {
    SoundDevice* sound = m_context.env.previewSound ? m_context.env.previewSound() : nullptr;
    if (sound == nullptr || BuzzTemp.isEmpty()) {
        return;
    }
    if (sound->isPlaying()) {
        sound->stop(); // a second press ends the test
        return;
    }
    if ((sound->isOpen() && sound->fileName() == BuzzTemp) || sound->open(BuzzTemp)) {
        sound->play();
    }
}

// ---- Live feed ----

FeedPage::FeedPage(OptionsContext& context) : OptionsPage(context), m_host(localNetworkHost()) {
    QGroupBox* feed = addGroup(this, QStringLiteral("Live Feed:"), QRect(240, 480, 5415, 1335));
    chkFeedEnabled = new QCheckBox(QStringLiteral("Serve the game to overlays and displays"), feed);
    chkFeedEnabled->setObjectName(QStringLiteral("chkFeedEnabled"));
    chkFeedEnabled->setGeometry(inside(QRect(240, 300, 4800, 285)));
    addCaption(feed, QStringLiteral("Port:"), QRect(240, 720, 600, 255));
    spnFeedPort = new QSpinBox(feed);
    spnFeedPort->setObjectName(QStringLiteral("spnFeedPort"));
    spnFeedPort->setRange(options::FeedPortRange.low, options::FeedPortRange.high);
    spnFeedPort->setGeometry(inside(QRect(840, 660, 1095, 345)));
    optFeedLocal =
        addOption(feed, "optFeedLocal", QStringLiteral("This computer only"), QRect(2280, 660, 3000, 285));
    optFeedNetwork =
        addOption(feed, "optFeedNetwork", QStringLiteral("The local network"), QRect(2280, 960, 3000, 285));

    auto* tokenCaption = new QLabel(QStringLiteral("Token:"), this);
    tokenCaption->setGeometry(onPage(QRect(240, 1980, 700, 255)));
    txtFeedToken = new QLineEdit(this);
    txtFeedToken->setObjectName(QStringLiteral("txtFeedToken"));
    txtFeedToken->setReadOnly(true);
    txtFeedToken->setGeometry(onPage(QRect(960, 1920, 3480, 345)));
    QPushButton* renew =
        addButton(this, "cmdRenewToken", QStringLiteral("Renew"), onPage(QRect(4560, 1920, 1095, 345)));
    connect(renew, &QPushButton::clicked, this, [this] {
        txtFeedToken->setText(newFeedToken());
        showUrls();
    });

    QGroupBox* urls = addGroup(this, QStringLiteral("Addresses to copy:"), QRect(240, 2400, 5415, 1815));
    const std::array<std::tuple<const char*, const char*, QString>, 4> rows{{
        {"txtFeedOverlay", "cmdCopyOverlay", QStringLiteral("Overlay:")},
        {"txtFeedBoard", "cmdCopyBoard", QStringLiteral("Board:")},
        {"txtFeedState", "cmdCopyState", QStringLiteral("State:")},
        {"txtFeedSocket", "cmdCopySocket", QStringLiteral("Feed:")},
    }};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& [lineName, buttonName, caption] = rows[i];
        const int top = 300 + int(i) * 360;
        addCaption(urls, caption, QRect(120, top + 30, 900, 255));
        auto* url = new QLineEdit(urls);
        url->setObjectName(QLatin1String(lineName));
        url->setReadOnly(true);
        url->setAccessibleName(caption);
        url->setGeometry(inside(QRect(960, top, 3300, 315)));
        QPushButton* copy =
            addButton(urls, buttonName, QStringLiteral("Copy"), inside(QRect(4320, top, 960, 315)));
        connect(copy, &QPushButton::clicked, url,
                [url] { QGuiApplication::clipboard()->setText(url->text()); });
        m_urls[i] = url;
    }
    connect(spnFeedPort, &QSpinBox::valueChanged, this, &FeedPage::showUrls);
    connect(optFeedNetwork, &QRadioButton::toggled, this, &FeedPage::needToken);
    connect(chkFeedEnabled, &QCheckBox::toggled, this, &FeedPage::needToken);
}

void FeedPage::needToken() {
    // Made when the feed first needs one, then kept (and stored with OK) until renewed.
    if (txtFeedToken->text().isEmpty() && (chkFeedEnabled->isChecked() || optFeedNetwork->isChecked())) {
        txtFeedToken->setText(newFeedToken());
    }
    showUrls();
}

QString FeedPage::localNetworkHost() {
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback() &&
            !address.isLinkLocal()) {
            return address.toString();
        }
    }
    return QHostInfo::localHostName();
}

void FeedPage::load(const SettingsRecord& s) {
    chkFeedEnabled->setChecked(s.FeedEnabled);
    spnFeedPort->setValue(options::FeedPortRange.clamp(s.FeedPort));
    (s.FeedNetwork ? optFeedNetwork : optFeedLocal)->setChecked(true);
    txtFeedToken->setText(s.FeedToken);
    needToken();
}

void FeedPage::save(SettingsRecord& s) const {
    s.FeedEnabled = chkFeedEnabled->isChecked();
    s.FeedPort = spnFeedPort->value();
    s.FeedNetwork = optFeedNetwork->isChecked();
    s.FeedToken = txtFeedToken->text();
}

void FeedPage::showUrls() {
    SettingsRecord staged;
    save(staged);
    const options::FeedUrls urls = options::feedUrls(staged, m_host);
    const std::array<const QString*, 4> texts{&urls.overlay, &urls.board, &urls.state, &urls.feed};
    for (std::size_t i = 0; i < m_urls.size(); ++i) {
        m_urls[i]->setText(*texts[i]);
    }
}
