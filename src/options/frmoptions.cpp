#include "options/frmoptions.h"

#include "components/dotpanel.h"
#include "options/optionsrules.h"
#include "platform/keycodes.h"
#include "platform/rgbcolor.h"
#include "platform/sounddevice.h"
#include "platform/twips.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr int DialogWidth = 6300;
constexpr int DialogHeight = 5280;
// Page positions are laid out from the top of the tab control, tabs included; Qt's pages
// start below the tabs, so this much comes off every top on a page.
constexpr int PageHeader = 420;
constexpr int ResetLeft = 4560;
constexpr int ResetTop = 3960;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;

QRect onPage(int left, int top, int width, int height) {
    return twips::toPixels(left, top - PageHeader, width, height);
}

QFont arialFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QFont dialogFont() {
    QFont font = arialFont(8.25);
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return font;
}

void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* addCaption(QWidget* parent, const QString& text, QRect designTwips) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(
        twips::toPixels(designTwips.x(), designTwips.y(), designTwips.width(), designTwips.height()));
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text, QRect pixels) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(pixels);
    return button;
}

QGroupBox* addGroup(QWidget* page, const QString& title, int left, int top, int width, int height) {
    auto* group = new QGroupBox(title, page);
    group->setGeometry(onPage(left, top, width, height));
    return group;
}

QRadioButton* addOption(QWidget* parent, const char* name, const QString& text, QRect designTwips) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(QLatin1String(name));
    option->setGeometry(
        twips::toPixels(designTwips.x(), designTwips.y(), designTwips.width(), designTwips.height()));
    return option;
}

} // namespace

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setColor(0);
}

void ColorSwatch::setColor(std::int32_t color) {
    m_color = color;
    setBackground(this, rgbcolor::toQColor(color));
}

namespace {

// Tells assistive tools the value the operator sees, not the negated one inside.
class RaisingScrollBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit RaisingScrollBarAccessible(RaisingScrollBar* bar)
        : QAccessibleWidget(bar, QAccessible::ScrollBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface*>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? QString::number(bar()->shownValue()) : QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->shownValue(); }
    void setCurrentValue(const QVariant& value) override { bar()->setShownValue(value.toInt()); }
    QVariant maximumValue() const override { return -bar()->minimum(); }
    QVariant minimumValue() const override { return -bar()->maximum(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    RaisingScrollBar* bar() const { return static_cast<RaisingScrollBar*>(widget()); }
};

QAccessibleInterface* raisingScrollBarAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("RaisingScrollBar")) {
        return new RaisingScrollBarAccessible(static_cast<RaisingScrollBar*>(object));
    }
    return nullptr;
}

} // namespace

RaisingScrollBar::RaisingScrollBar(int low, int high, QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(raisingScrollBarAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setRange(-high, -low);
    setPageStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int value) {
        emit shownValueChanged(-value);
        QAccessibleValueChangeEvent event(this, -value);
        QAccessible::updateAccessibility(&event);
    });
}

frmOptions::frmOptions(const SettingsRecord& settings, OptionsEnvironment environment, QWidget* parent)
    : QDialog(parent), m_env(std::move(environment)) {
    if (m_env.chooser == nullptr) {
        m_ownChooser = std::make_unique<QtOptionsChooser>();
        m_env.chooser = m_ownChooser.get();
    }
    if (m_env.messages == nullptr) {
        m_ownMessages = std::make_unique<QtOptionsMessages>();
        m_env.messages = m_ownMessages.get();
    }
    if (!m_env.fitPicture) {
        m_env.fitPicture = options::fitPictureSimple;
    }
    if (!m_env.checkSound) {
        m_env.checkSound = options::isPlayableSound;
    }

    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(dialogFont());
    setFixedSize(twips::toPixels(QSize(DialogWidth, DialogHeight)));

    // The capture field lies under the tab control: never seen, but not hidden, so it can
    // take the focus whichever page shows. Tab passes it by.
    txtGetKey = new QLineEdit(this);
    txtGetKey->setObjectName(QStringLiteral("txtGetKey"));
    txtGetKey->setFrame(false);
    txtGetKey->setFocusPolicy(Qt::ClickFocus);
    txtGetKey->setAccessibleName(QStringLiteral("Key capture"));
    txtGetKey->setGeometry(twips::toPixels(120 + ResetLeft, 120 + ResetTop, 15, 15));
    txtGetKey->installEventFilter(this);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(twips::toPixels(120, 120, 5895, 4455));
    // A click on a tab takes the focus, so it ends a key capture.
    SSTab1->tabBar()->setFocusPolicy(Qt::StrongFocus);
    const std::array<std::pair<const char*, void (frmOptions::*)(QWidget*)>, 6> pages{{
        {"Keys", &frmOptions::buildKeysPage},
        {"Quick Keys", &frmOptions::buildQuickKeysPage},
        {"Colors", &frmOptions::buildColorsPage},
        {"Text", &frmOptions::buildTextPage},
        {"Pictures", &frmOptions::buildPicturesPage},
        {"Other Settings", &frmOptions::buildOtherPage},
    }};
    for (const auto& [caption, build] : pages) {
        auto* page = new QWidget;
        (this->*build)(page);
        SSTab1->addTab(page, QLatin1String(caption));
    }
    txtGetKey->stackUnder(SSTab1);

    cmdOk = addButton(this, "cmdOk", QStringLiteral("&Ok"), twips::toPixels(1958, 4740, 1080, 375));
    cmdCancel =
        addButton(this, "cmdCancel", QStringLiteral("&Cancel"), twips::toPixels(3263, 4740, 1080, 375));
    connect(cmdOk, &QPushButton::clicked, this, &frmOptions::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The measuring labels lie below the client area and are never seen.
    for (auto [label, name, text, top] :
         {std::tuple{&lblHomePreview, "lblHomePreview", "Home", 6120},
          std::tuple{&lblVisitorPreview, "lblVisitorPreview", "Visitor", 6240}}) {
        *label = new QLabel(QLatin1String(text), this);
        (*label)->setObjectName(QLatin1String(name));
        (*label)->setFrameShape(QFrame::Box);
        (*label)->move(twips::toPixels(QPoint(120, top)));
    }

    load(settings);
}

frmOptions::~frmOptions() = default;

// ---- Pages ----

QLabel* frmOptions::addKeyGroup(QWidget* page, const QString& title, const char* labelName, int left,
                                int top) {
    QGroupBox* group = addGroup(page, title, left, top, 1575, 735);
    auto* label = new QLabel(group);
    label->setObjectName(QLatin1String(labelName));
    label->setGeometry(twips::toPixels(120, 255, 1335, 375));
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    paintKeyLabel(label, idleKeyColor());
    label->installEventFilter(this);
    return label;
}

void frmOptions::buildKeysPage(QWidget* page) {
    const std::array<std::tuple<const char*, const char*, int, int>, 6> groups{{
        {"Start/Stop clock:", "lblKeyStartStopClock", 360, 600},
        {"Reset clock:", "lblKeyResetClock", 2160, 600},
        {"Reset shot-clock:", "lblKeyResetShotClock", 3960, 600},
        {"Game/Clock switch:", "lblKeyClockSwitch", 360, 1440},
        {"Clear Number:", "lblKeyClear", 2160, 1440},
        {"Buzzer:", "lblKeyBuzzer", 3960, 1440},
    }};
    for (const auto& [title, name, left, top] : groups) {
        addKeyGroup(page, QLatin1String(title), name, left, top);
    }
    QGroupBox* numLock = addGroup(page, QStringLiteral("Numlock Options:"), 2040, 2400, 1935, 1455);
    optNormal = addOption(numLock, "optNormal", QStringLiteral("Normal Mode"), QRect(120, 360, 1755, 285));
    optKeepOn =
        addOption(numLock, "optKeepOn", QStringLiteral("Keep Numlock On"), QRect(120, 720, 1755, 285));
    optKeepOff =
        addOption(numLock, "optKeepOff", QStringLiteral("Keep Numlock Off"), QRect(120, 1080, 1755, 285));
    cmdResetKeys = addButton(page, "cmdResetKeys", QStringLiteral("Reset Keys"),
                             onPage(ResetLeft, ResetTop, ButtonWidth, ButtonHeight));
    connect(cmdResetKeys, &QPushButton::clicked, this, &frmOptions::resetKeys);
}

void frmOptions::buildQuickKeysPage(QWidget* page) {
    const std::array<std::tuple<const char*, const char*, int, int>, 11> groups{{
        {"Home Score +1", "lblKeyHS1", 360, 600},
        {"Home Score +2:", "lblKeyHS2", 2160, 600},
        {"Home Score +3", "lblKeyHS3", 3960, 600},
        {"Visitor Score +1", "lblKeyVS1", 360, 1560},
        {"Visitor Score +2", "lblKeyVS2", 2160, 1560},
        {"Visitor Score +3", "lblKeyVS3", 3960, 1560},
        {"Home Foul +1", "lblKeyHF1", 360, 2520},
        {"Visitor Foul +1:", "lblKeyVF1", 2160, 2520},
        {"Period +1", "lblKeyPeriod1", 3960, 2520},
        {"TOL Home -1", "lblKeyTolH1", 360, 3480},
        {"TOL Visitor -1", "lblKeyTolV1", 2160, 3480},
    }};
    for (const auto& [title, name, left, top] : groups) {
        addKeyGroup(page, QLatin1String(title), name, left, top);
    }
    Command1 = addButton(page, "Command1", QStringLiteral("Reset Keys"),
                         onPage(ResetLeft, ResetTop, ButtonWidth, ButtonHeight));
    connect(Command1, &QPushButton::clicked, this, &frmOptions::resetKeys);
}

ColorSwatch* frmOptions::addColorGroup(QWidget* page, const QString& title, const char* swatchName,
                                       const char* buttonName, int left, int top, int height) {
    QGroupBox* group = addGroup(page, title, left, top, 1695, height);
    auto* swatch = new ColorSwatch(group);
    swatch->setObjectName(QLatin1String(swatchName));
    swatch->setGeometry(twips::toPixels(120, 255, 615, 375));
    QPushButton* change =
        addButton(group, buttonName, QStringLiteral("Change"), twips::toPixels(840, 255, 735, 375));
    connect(change, &QPushButton::clicked, this, [this, swatch] { chooseColor(swatch); });
    return swatch;
}

QLabel* frmOptions::addValueLabel(QWidget* parent, const char* name, QRect designTwips) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(
        twips::toPixels(designTwips.x(), designTwips.y(), designTwips.width(), designTwips.height()));
    label->setFrameShape(QFrame::Box);
    label->setAlignment(Qt::AlignCenter);
    setBackground(label, Qt::white);
    return label;
}

void frmOptions::buildColorsPage(QWidget* page) {
    picTimeC = addColorGroup(page, QStringLiteral("Time Color:"), "picTimeC", "cmdTimeC", 240, 600);
    picHomeC = addColorGroup(page, QStringLiteral("Home Color:"), "picHomeC", "cmdHomeC", 2040, 600);
    picVisitorC =
        addColorGroup(page, QStringLiteral("Visitor Color:"), "picVisitorC", "cmdVisitorC", 3840, 600);
    picScoreC = addColorGroup(page, QStringLiteral("Score Color:"), "picScoreC", "cmdScoreC", 240, 1620);
    picPeriodC = addColorGroup(page, QStringLiteral("Period Color:"), "picPeriodC", "cmdPeriodC", 2040, 1620);
    picLEDB = addColorGroup(page, QStringLiteral("LED Background:"), "picLEDB", "cmdLEDB", 3840, 1680);
    picBackC = addColorGroup(page, QStringLiteral("Back Color:"), "picBackC", "cmdBackC", 240, 2640);
    picLedSelected = addColorGroup(page, QStringLiteral("LED Selected"), "picLedSelected", "cmdLedSelected",
                                   2040, 2640, 1095);
    picBorderC = addColorGroup(page, QStringLiteral("Border Color:"), "picBorderC", "cmdBorderC", 3840, 2640);

    // The width of the selection mark, in the "LED Selected" group under its swatch. Lying
    // flat, its right-hand arrow is the one that raises the value.
    QWidget* selected = picLedSelected->parentWidget();
    addCaption(selected, QStringLiteral("Width:"), QRect(105, 720, 465, 255));
    lblLEDSelectedWidthValue = addValueLabel(selected, "lblLEDSelectedWidthValue", QRect(570, 690, 345, 285));
    scrLEDSelectedWidth = new QScrollBar(Qt::Horizontal, selected);
    scrLEDSelectedWidth->setObjectName(QStringLiteral("scrLEDSelectedWidth"));
    scrLEDSelectedWidth->setRange(options::SelectedWidthRange.low, options::SelectedWidthRange.high);
    scrLEDSelectedWidth->setPageStep(1);
    scrLEDSelectedWidth->setGeometry(twips::toPixels(960, 690, 630, 285));
    connect(scrLEDSelectedWidth, &QScrollBar::valueChanged, this,
            [this](int value) { lblLEDSelectedWidthValue->setText(QString::number(value)); });

    cmdResetColors = addButton(page, "cmdResetColors", QStringLiteral("Reset Colors"),
                               onPage(ResetLeft, ResetTop, ButtonWidth, ButtonHeight));
    connect(cmdResetColors, &QPushButton::clicked, this, &frmOptions::resetColors);
}

QLineEdit* frmOptions::addTextGroup(QWidget* page, const QString& title, const char* name, int top,
                                    int maxLength) {
    QGroupBox* group = addGroup(page, title, 540, top, 4815, 975);
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(twips::toPixels(240, 315, 4335, 495));
    edit->setFont(arialFont(15.75));
    edit->setAlignment(Qt::AlignCenter);
    edit->setMaxLength(maxLength);
    return edit;
}

void frmOptions::buildTextPage(QWidget* page) {
    txtTitleText =
        addTextGroup(page, QStringLiteral("Board Name:"), "txtTitleText", 600, options::TitleLength);
    txtHomeText =
        addTextGroup(page, QStringLiteral("Home Name:"), "txtHomeText", 1680, options::TeamNameLength);
    txtVisitorText =
        addTextGroup(page, QStringLiteral("Visitor Name:"), "txtVisitorText", 2760, options::TeamNameLength);
    // Only the team names decide their size; the board name does not.
    connect(txtHomeText, &QLineEdit::textChanged, this, [this](const QString& text) {
        lblHomePreview->setText(text);
        PreviewIt();
    });
    connect(txtVisitorText, &QLineEdit::textChanged, this, [this](const QString& text) {
        lblVisitorPreview->setText(text);
        PreviewIt();
    });
}

void frmOptions::addPictureGroup(QWidget* page, const QString& title, PicturePreview& preview,
                                 const char* stem, int left, int top) {
    QGroupBox* group = addGroup(page, title, left, top, 2415, 1575);
    const QString name = QLatin1String(stem);
    preview.container = new QFrame(group);
    preview.container->setObjectName(QStringLiteral("pic%1PicPreviewCon").arg(name));
    preview.container->setFrameShape(QFrame::Box);
    preview.container->setGeometry(twips::toPixels(120, 255, 1215, 1215));
    preview.image = new QLabel(preview.container);
    preview.image->setObjectName(QStringLiteral("img%1PicPreview").arg(name));
    preview.image->setGeometry(preview.container->contentsRect());
    auto* change = new QPushButton(QStringLiteral("Change"), group);
    change->setObjectName(QStringLiteral("cmdChange%1Pic").arg(name));
    change->setGeometry(twips::toPixels(1455, 375, 840, 375));
    auto* clear = new QPushButton(QStringLiteral("Clear"), group);
    clear->setObjectName(QStringLiteral("cmdClear%1Pic").arg(name));
    clear->setGeometry(twips::toPixels(1455, 855, 840, 375));
    connect(change, &QPushButton::clicked, this, [this, &preview] { choosePicture(preview); });
    connect(clear, &QPushButton::clicked, this, [this, &preview] { clearPicture(preview); });
}

void frmOptions::buildPicturesPage(QWidget* page) {
    m_homePreview.staged = &HomePicTemp;
    m_visitorPreview.staged = &VisitorPicTemp;
    m_boardPreview.staged = &BoardPicTemp;
    addPictureGroup(page, QStringLiteral("Home Picture:"), m_homePreview, "Home", 360, 600);
    addPictureGroup(page, QStringLiteral("Visitor Picture:"), m_visitorPreview, "Visitor", 3120, 600);
    addPictureGroup(page, QStringLiteral("Scoreboard Picture:"), m_boardPreview, "Board", 360, 2280);

    QGroupBox* digits = addGroup(page, QStringLiteral("Digit Type:"), 3120, 2280, 2415, 1575);
    cmbLedType = new QComboBox(digits);
    cmbLedType->setObjectName(QStringLiteral("cmbLedType"));
    cmbLedType->addItems({QStringLiteral("Lines"), QStringLiteral("Dots")});
    cmbLedType->setGeometry(twips::toPixels(120, 375, 1215, 330));
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

void frmOptions::buildOtherPage(QWidget* page) {
    QGroupBox* bonus = addGroup(page, QStringLiteral("Bonus Foul Indicators:"), 240, 600, 3255, 1575);
    const auto addBonusRow = [&](const char* labelName, const char* barName, const QString& caption, int top,
                                 QLabel*& label, RaisingScrollBar*& bar) {
        addCaption(bonus, caption, QRect(120, top + 60, 1575, 255));
        label = addValueLabel(bonus, labelName, QRect(1695, top + 30, 495, 315));
        bar = new RaisingScrollBar(options::BonusRange.low, options::BonusRange.high, bonus);
        bar->setObjectName(QLatin1String(barName));
        bar->setGeometry(twips::toPixels(2250, top - 60, 255, 495));
        addCaption(bonus, QStringLiteral("fouls."), QRect(2595, top + 60, 600, 255));
    };
    addBonusRow("lblBonusInner", "vsBonusInner", QStringLiteral("Light Inner Bonus at"), 330, lblBonusInner,
                vsBonusInner);
    addBonusRow("lblBonusOuter", "vsBonusOuter", QStringLiteral("Light Outer Bonus at"), 960, lblBonusOuter,
                vsBonusOuter);

    QGroupBox* shot = addGroup(page, QStringLiteral("Reset Shot Clock to:"), 3600, 600, 2055, 855);
    lblShotClock = addValueLabel(shot, "lblShotClock", QRect(240, 360, 495, 315));
    vsShotClock = new RaisingScrollBar(options::ShotClockRange.low, options::ShotClockRange.high, shot);
    vsShotClock->setObjectName(QStringLiteral("vsShotClock"));
    vsShotClock->setGeometry(twips::toPixels(795, 270, 255, 495));
    addCaption(shot, QStringLiteral("Seconds"), QRect(1140, 390, 800, 255));

    QGroupBox* division = addGroup(page, QStringLiteral("Game is divided into:"), 3600, 1560, 2055, 975);
    otnGamePeriod =
        addOption(division, "otnGamePeriod", QStringLiteral("Periods"), QRect(240, 300, 1575, 285));
    otnGameHalf = addOption(division, "otnGameHalf", QStringLiteral("Halves"), QRect(240, 600, 1575, 285));

    for (auto [bar, label] : {std::pair{vsBonusInner, lblBonusInner}, std::pair{vsBonusOuter, lblBonusOuter},
                              std::pair{vsShotClock, lblShotClock}}) {
        connect(bar, &RaisingScrollBar::shownValueChanged, label,
                [label](int value) { label->setText(QString::number(value)); });
    }

    cmdBuzzerSound = addButton(page, "cmdBuzzerSound", QStringLiteral("Change Buzzer Sound..."),
                               onPage(240, 2760, 2175, 375));
    connect(cmdBuzzerSound, &QPushButton::clicked, this, &frmOptions::chooseBuzzerSound);
    lblBFile = new QLabel(page);
    lblBFile->setObjectName(QStringLiteral("lblBFile"));
    lblBFile->setFont(arialFont(9.75));
    lblBFile->setGeometry(onPage(240, 3255, 5175, 285));

    cmdResetAdditSetttings = addButton(page, "cmdResetAdditSetttings", QStringLiteral("Reset Settings"),
                                       onPage(ResetLeft, ResetTop, ButtonWidth, ButtonHeight));
    connect(cmdResetAdditSetttings, &QPushButton::clicked, this, &frmOptions::resetAdditionalSettings);
}

// ---- Opening ----

void frmOptions::load(const SettingsRecord& s) {
    m_settings = s;
    m_lastFileName.clear();
    if (ReturnKeyToObj != nullptr) {
        paintKeyLabel(ReturnKeyToObj, idleKeyColor());
        ReturnKeyToObj = nullptr;
    }

    // 1. The first page.
    SSTab1->setCurrentIndex(0);

    // 2. Keys: tags first, then every caption from its tag.
    for (const options::KeyBinding& binding : options::KeyBindings) {
        setTag(keyLabel(binding.labelName), s.*binding.field);
    }
    SetKeyTextFromTags();

    // 3. Colours.
    for (auto [swatch, color] :
         {std::pair{picTimeC, s.TimeColor}, std::pair{picScoreC, s.ScoreColor}, std::pair{picLEDB, s.LEDBack},
          std::pair{picLedSelected, s.LEDSelected}, std::pair{picPeriodC, s.PeriodColor},
          std::pair{picBackC, s.FormBack}, std::pair{picBorderC, s.BorderColor},
          std::pair{picHomeC, s.HomeColor}, std::pair{picVisitorC, s.VisitorColor}}) {
        swatch->setColor(color);
    }

    // 4. The mark's width; a stored width the bar cannot show is shown clamped.
    const int width = options::SelectedWidthRange.clamp(s.LEDSelectedWidth);
    scrLEDSelectedWidth->setValue(width);
    lblLEDSelectedWidthValue->setText(QString::number(width));

    // 5. NumLock; a value the board does not know behaves as "leave alone", so it shows so.
    (s.NumLockForce == 1 ? optKeepOn : s.NumLockForce == 2 ? optKeepOff : optNormal)->setChecked(true);

    // 6. Staged values.
    BuzzTemp = s.BuzzerFile;
    TempSize = options::tempSizeFrom(s.TeamSize);
    HomePicTemp = s.HomePic;
    VisitorPicTemp = s.VisitorPic;
    BoardPicTemp = s.BoardPic;

    // 7. Previews, from nothing: an earlier opening's picture must not stay when the file is gone.
    for (PicturePreview* preview : {&m_homePreview, &m_visitorPreview, &m_boardPreview}) {
        preview->image->clear();
        showPicture(*preview);
    }

    // 8. Digit style, which the preview follows.
    cmbLedType->setCurrentIndex(options::LedTypeRange.clamp(s.LEDType));
    dotPreview->setLedType(cmbLedType->currentIndex());

    // 9. Names. The boxes start from "Home" and "Visitor" at every opening, so the size is
    // measured again only when a loaded name differs from those.
    for (auto [edit, label, start] : {std::tuple{txtHomeText, lblHomePreview, "Home"},
                                      std::tuple{txtVisitorText, lblVisitorPreview, "Visitor"}}) {
        const QSignalBlocker blocker(edit);
        edit->setText(QLatin1String(start));
        label->setText(QLatin1String(start));
    }
    txtTitleText->setText(s.TitleText);
    txtHomeText->setText(s.HomeText);
    txtVisitorText->setText(s.VisitorText);

    // 10. The three bars with their value labels.
    for (auto [bar, label, value, range] :
         {std::tuple{vsShotClock, lblShotClock, s.ShotClockResetTime, options::ShotClockRange},
          std::tuple{vsBonusInner, lblBonusInner, s.BonusInner, options::BonusRange},
          std::tuple{vsBonusOuter, lblBonusOuter, s.BonusOuter, options::BonusRange}}) {
        const int shown = range.clamp(value);
        bar->setShownValue(shown);
        label->setText(QString::number(shown));
    }

    // 11. Periods or halves; the board counts any non-zero value as halves.
    (s.GamePeriod == 0 ? otnGamePeriod : otnGameHalf)->setChecked(true);

    // 12. The buzzer's caption.
    lblBFile->setText(options::fileCaption(BuzzTemp));
}

void frmOptions::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    SSTab1->setCurrentIndex(0);
    cmdOk->setFocus(Qt::OtherFocusReason);
    const QWidget* over = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    const QRect area = over != nullptr       ? over->frameGeometry()
                       : screen() != nullptr ? screen()->availableGeometry()
                                             : QRect();
    if (area.isValid()) {
        move(area.center() - rect().center());
    }
}

// ---- OK ----

SettingsRecord frmOptions::staged() const {
    SettingsRecord r = m_settings;
    r.TimeColor = picTimeC->color();
    r.LEDBack = picLEDB->color();
    r.LEDSelected = picLedSelected->color();
    r.ScoreColor = picScoreC->color();
    r.PeriodColor = picPeriodC->color();
    r.FormBack = picBackC->color();
    r.BorderColor = picBorderC->color();
    r.HomeColor = picHomeC->color();
    r.VisitorColor = picVisitorC->color();
    r.LEDSelectedWidth = static_cast<std::int16_t>(lblLEDSelectedWidthValue->text().toInt());

    for (const options::KeyBinding& binding : options::KeyBindings) {
        r.*binding.field = static_cast<std::int16_t>(tagOf(keyLabel(binding.labelName)));
    }
    r.BuzzerFile = BuzzTemp;

    if (optNormal->isChecked()) {
        r.NumLockForce = 0;
    } else if (optKeepOn->isChecked()) {
        r.NumLockForce = 1;
    } else if (optKeepOff->isChecked()) {
        r.NumLockForce = 2;
    }

    r.TitleText = txtTitleText->text();
    r.HomeText = txtHomeText->text();
    r.VisitorText = txtVisitorText->text();
    r.TeamSize = Currency::fromInt(TempSize);

    r.HomePic = HomePicTemp;
    r.VisitorPic = VisitorPicTemp;
    r.BoardPic = BoardPicTemp;
    r.LEDType = static_cast<std::int16_t>(cmbLedType->currentIndex());

    r.ShotClockResetTime = static_cast<std::int16_t>(lblShotClock->text().toInt());
    r.BonusInner = static_cast<std::int16_t>(lblBonusInner->text().toInt());
    r.BonusOuter = static_cast<std::int16_t>(lblBonusOuter->text().toInt());
    r.GamePeriod = otnGamePeriod->isChecked() ? 0 : 1;
    return r;
}

void frmOptions::okClicked() {
    const SettingsRecord record = staged();
    if (m_env.setNumLock && record.NumLockForce != 0) {
        m_env.setNumLock(record.NumLockForce == 1);
    }
    const CommitResult result = m_env.commit ? m_env.commit(record) : CommitResult{};
    m_settings = record;
    if (!result.saved) {
        // The new options are in force all the same; the operator must know they will not
        // survive a restart.
        qCWarning(lcOptions) << "could not save the options to" << result.location;
        m_env.messages->warn(this, QStringLiteral("Options"),
                             QStringLiteral("The options are in use now but could not be saved to\n%1\n"
                                            "They will be lost when the program ends.")
                                 .arg(result.location));
    }
    accept();
}

// ---- Resets ----

bool frmOptions::askToReset(const QString& text, const QString& title) {
    return m_env.messages->askYesNo(this, title, text);
}

void frmOptions::resetAdditionalSettings() {
    if (!askToReset(QStringLiteral("Are you sure you want to reset these settings?"),
                    QStringLiteral("Reset Settings?"))) {
        return;
    }
    vsShotClock->setShownValue(35);
    vsBonusInner->setShownValue(7);
    vsBonusOuter->setShownValue(10);
    // The bars may already stand there, which changes nothing: write the labels too.
    lblShotClock->setText(QStringLiteral("35"));
    lblBonusInner->setText(QStringLiteral("7"));
    lblBonusOuter->setText(QStringLiteral("10"));
    otnGamePeriod->setChecked(true);
}

void frmOptions::resetColors() {
    if (!askToReset(QStringLiteral("Are you sure you want to reset the colors?"),
                    QStringLiteral("Reset Colors"))) {
        return;
    }
    picLedSelected->setColor(4210752);
    // The bar stays where it is; its next change shows its own value again.
    lblLEDSelectedWidthValue->setText(QStringLiteral("0"));
    picTimeC->setColor(33023);
    picLEDB->setColor(0);
    picScoreC->setColor(255);
    picPeriodC->setColor(49152);
    picBackC->setColor(4210752);
    picBorderC->setColor(16777215);
    picHomeC->setColor(16777215);
    picVisitorC->setColor(16777215);
}

void frmOptions::resetKeys() {
    if (!askToReset(QStringLiteral("Are you sure you want to reset Keys, Quick Keys, and Numlock option?"),
                    QStringLiteral("Reset Keys"))) {
        return;
    }
    for (const options::KeyBinding& binding : options::KeyBindings) {
        setTag(keyLabel(binding.labelName), binding.defaultCode);
    }
    optNormal->setChecked(true);
    SetKeyTextFromTags();
}

// ---- Key capture ----

QString frmOptions::KeyCodeToStr(int keyCode) {
    return options::KeyCodeToStr(keyCode);
}

QList<QLabel*> frmOptions::keyLabels() const {
    QList<QLabel*> labels;
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->objectName().contains(QLatin1String("lblKey"))) {
            labels.append(label);
        }
    }
    return labels;
}

QLabel* frmOptions::keyLabel(const char* name) const {
    return findChild<QLabel*>(QLatin1String(name));
}

int frmOptions::tagOf(const QLabel* label) {
    bool ok = false;
    const int code = label->property("tag").toString().toInt(&ok);
    return ok ? code : keycodes::NoKey;
}

void frmOptions::setTag(QLabel* label, int keyCode) {
    label->setProperty("tag", QString::number(keyCode));
}

void frmOptions::paintKeyLabel(QLabel* label, const QColor& background) {
    setBackground(label, background);
}

QString frmOptions::IsKeyInUse(int keyCode) const {
    for (const QLabel* label : keyLabels()) {
        if (tagOf(label) == keyCode) {
            return label->objectName();
        }
    }
    return QStringLiteral("None");
}

void frmOptions::SetKeyTextFromTags() {
    for (QLabel* label : keyLabels()) {
        label->setText(KeyCodeToStr(tagOf(label)));
    }
}

void frmOptions::ChooseKey(QLabel* returnKeyTo) {
    QLabel* const waiting = ReturnKeyToObj;
    if (waiting != nullptr) {
        paintKeyLabel(waiting, idleKeyColor());
        waiting->setText(KeyCodeToStr(tagOf(waiting)));
    }
    if (waiting == nullptr || waiting->objectName() != returnKeyTo->objectName()) {
        txtGetKey->setFocus(Qt::OtherFocusReason);
        paintKeyLabel(returnKeyTo, waitingKeyColor());
        returnKeyTo->setText(QStringLiteral("<Press any key>"));
        ReturnKeyToObj = returnKeyTo;
    } else {
        ReturnKeyToObj = nullptr;
    }
}

void frmOptions::KeyChosen(int keyCode) {
    QLabel* const waiting = ReturnKeyToObj;
    if (waiting == nullptr) {
        return;
    }
    QString name = KeyCodeToStr(keyCode);
    const QString owner = IsKeyInUse(keyCode);
    if (owner != QLatin1String("None") && owner != waiting->objectName()) {
        name.clear(); // another action has this key
    }
    if (!name.isEmpty()) {
        setTag(waiting, keyCode);
    }
    if (!name.isEmpty() || keyCode == keycodes::NoKey) {
        waiting->setText(KeyCodeToStr(tagOf(waiting)));
        paintKeyLabel(waiting, idleKeyColor());
        ReturnKeyToObj = nullptr;
    } else {
        waiting->setText(QStringLiteral("Choose another"));
    }
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtGetKey) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Tab moves on (and so abandons the capture); Esc still cancels the dialog.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape) {
                return false;
            }
            txtGetKey->clear();
            KeyChosen(keycodes::fromKeyEvent(*key));
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            // Another window coming up (a message box, a menu) is no move away.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                KeyChosen(keycodes::NoKey);
            }
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label != nullptr && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ChooseKey(label);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Team-name size ----

void frmOptions::PreviewIt() {
    TempSize =
        static_cast<std::int16_t>(options::teamNameSize(lblHomePreview->text(), lblVisitorPreview->text()));
    for (QLabel* label : {lblHomePreview, lblVisitorPreview}) {
        label->setFont(options::teamNameFont(TempSize));
        label->adjustSize();
    }
}

// ---- Choosers ----

void frmOptions::chooseColor(ColorSwatch* swatch) {
    const std::optional<QColor> chosen =
        m_env.chooser->chooseColor(this, rgbcolor::toQColor(swatch->color()));
    if (chosen && chosen->isValid()) {
        swatch->setColor(rgbcolor::fromQColor(*chosen));
    }
}

void frmOptions::showPicture(PicturePreview& preview) {
    if (!preview.staged->isEmpty()) {
        m_env.fitPicture(preview.image, preview.container, *preview.staged);
    }
}

void frmOptions::choosePicture(PicturePreview& preview) {
    const QString file = m_env.chooser->chooseFile(
        this, QStringLiteral("Pictures (*.bmp *.gif *.jpg *.jpeg *.png)"), m_lastFileName);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        return;
    }
    m_lastFileName = file;
    if (!options::isReadablePicture(file)) {
        qCWarning(lcOptions) << "not a readable picture:" << file;
        return;
    }
    *preview.staged = file;
    showPicture(preview);
}

void frmOptions::clearPicture(PicturePreview& preview) {
    preview.image->clear();
    preview.staged->clear();
}

void frmOptions::chooseBuzzerSound() {
    const QString file = m_env.chooser->chooseFile(this, QStringLiteral("Sounds (*.wav)"), m_lastFileName);
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        return;
    }
    m_lastFileName = file;
    if (!m_env.checkSound(file)) {
        qCWarning(lcOptions) << "not a playable wave file:" << file;
        return;
    }
    BuzzTemp = file;
    lblBFile->setText(options::fileCaption(BuzzTemp));
    if (m_env.sound != nullptr && m_env.sound->open(file)) {
        m_env.sound->play();
    }
}
