#include "options/leaguepage.h"

#include "options/optionsrules.h"
#include "options/optionswidgets.h"
#include "settings/leagues.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <algorithm>

using namespace options::layout;

namespace {

constexpr int LongestPeriod = 5999; // 99:59, the most the game clock shows

// "m:ss", "m:s", "m" or ":ss" into seconds; -1 when it is none of those or out of range.
int parseClock(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{0,2})(?::(\\d{0,2}))?\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch() || (match.captured(1).isEmpty() && match.captured(2).isEmpty())) {
        return -1;
    }
    const int minutes = match.captured(1).toInt();
    const int seconds = match.captured(2).toInt();
    return seconds < 60 ? minutes * 60 + seconds : -1;
}

} // namespace

ClockSpinBox::ClockSpinBox(QWidget* parent) : QSpinBox(parent) {
    setRange(1, LongestPeriod);
    setSingleStep(60);
    setAlignment(Qt::AlignCenter);
    // A time counts once typed out: "1:7" on the way to "1:75" is no value of its own.
    setKeyboardTracking(false);
}

QString ClockSpinBox::textFromValue(int seconds) const {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

int ClockSpinBox::valueFromText(const QString& text) const {
    const int seconds = parseClock(text);
    return seconds < 0 ? value() : seconds;
}

QValidator::State ClockSpinBox::validate(QString& text, int&) const {
    static const QRegularExpression partial(QStringLiteral("^\\s*\\d{0,2}(:\\d{0,2})?\\s*$"));
    if (!partial.match(text).hasMatch()) {
        return QValidator::Invalid;
    }
    const int seconds = parseClock(text);
    return seconds >= minimum() && seconds <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

LeaguePage::LeaguePage(OptionsContext& context) : OptionsPage(context) {
    QGroupBox* rules = addGroup(this, QStringLiteral("League Rules:"), QRect(240, 600, 5415, 2415));
    addCaption(rules, QStringLiteral("League:"), QRect(120, 345, 1335, 255));
    cmbLeague = new QComboBox(rules);
    cmbLeague->setObjectName(QStringLiteral("cmbLeague"));
    cmbLeague->addItem(QLatin1String(leagues::Custom));
    for (const leagues::League& league : leagues::all()) {
        cmbLeague->addItem(QLatin1String(league.name));
    }
    cmbLeague->setGeometry(inside(QRect(1455, 300, 1935, 330)));

    const auto addSpin = [rules](QSpinBox* spin, const char* name, const QString& caption, QPoint at) {
        addCaption(rules, caption, QRect(at + QPoint(0, 45), QSize(1335, 255)));
        spin->setObjectName(QLatin1String(name));
        spin->setAccessibleName(caption);
        spin->setGeometry(inside(QRect(at + QPoint(1335, 0), QSize(1095, 330))));
    };
    spnPeriod = new ClockSpinBox(rules);
    addSpin(spnPeriod, "spnPeriod", QStringLiteral("Period length:"), {120, 750});
    spnOvertime = new ClockSpinBox(rules);
    addSpin(spnOvertime, "spnOvertime", QStringLiteral("Overtime:"), {2760, 750});
    spnShortReset = new QSpinBox(rules);
    spnShortReset->setRange(0, 99);
    spnShortReset->setSpecialValueText(QStringLiteral("None"));
    addSpin(spnShortReset, "spnShortReset", QStringLiteral("Short reset:"), {120, 1170});
    spnTimeouts = new QSpinBox(rules);
    spnTimeouts->setRange(0, 9);
    addSpin(spnTimeouts, "spnTimeouts", QStringLiteral("Timeouts:"), {2760, 1170});

    const auto addCheck = [rules](const char* name, const QString& text, int top) {
        auto* check = new QCheckBox(text, rules);
        check->setObjectName(QLatin1String(name));
        check->setGeometry(inside(QRect(120, top, 5175, 285)));
        return check;
    };
    chkFoulsReset = addCheck("chkFoulsReset", QStringLiteral("Team fouls back to 0 each period"), 1590);
    chkShotClockOff =
        addCheck("chkShotClockOff", QStringLiteral("Shot clock off when the game clock shows less"), 1860);
    chkOuterBonus = addCheck("chkOuterBonus", QStringLiteral("Outer bonus light"), 2130);

    QGroupBox* horn = addGroup(this, QStringLiteral("Shot Clock Horn:"), QRect(240, 3120, 5415, 1095));
    auto* change = new QPushButton(QStringLiteral("Change Shot Clock Horn..."), horn);
    change->setObjectName(QStringLiteral("cmdShotClockSound"));
    change->setGeometry(inside(QRect(120, 270, 2415, 375)));
    auto* buzzer = new QPushButton(QStringLiteral("Use Buzzer"), horn);
    buzzer->setObjectName(QStringLiteral("cmdShotClockBuzzer"));
    buzzer->setGeometry(inside(QRect(2640, 270, 1335, 375)));
    lblSFile = new QLabel(horn);
    lblSFile->setObjectName(QStringLiteral("lblSFile"));
    lblSFile->setFont(arialFont(9.75));
    lblSFile->setGeometry(inside(QRect(120, 735, 5175, 285)));

    connect(cmbLeague, &QComboBox::currentIndexChanged, this, &LeaguePage::leagueChosen);
    for (QSpinBox* spin : {static_cast<QSpinBox*>(spnPeriod), static_cast<QSpinBox*>(spnOvertime),
                           spnShortReset, spnTimeouts}) {
        connect(spin, &QSpinBox::valueChanged, this, &LeaguePage::edited);
    }
    for (QCheckBox* check : {chkFoulsReset, chkShotClockOff, chkOuterBonus}) {
        connect(check, &QCheckBox::toggled, this, &LeaguePage::edited);
    }
    connect(change, &QPushButton::clicked, this, &LeaguePage::chooseShotClockSound);
    connect(buzzer, &QPushButton::clicked, this, [this] {
        setShotClockFile(QString());
        edited();
    });
}

void LeaguePage::follow(OtherSettingsPage* other) {
    m_other = other;
    for (const char* name : {"vsShotClock", "vsBonusInner", "vsBonusOuter"}) {
        connect(other->findChild<RaisingScrollBar*>(QLatin1String(name)),
                &RaisingScrollBar::shownValueChanged, this, &LeaguePage::edited);
    }
    connect(other->findChild<QRadioButton*>(QStringLiteral("otnGameHalf")), &QRadioButton::toggled, this,
            &LeaguePage::edited);
    // Moving the outer threshold asks for the light.
    connect(other->findChild<RaisingScrollBar*>(QStringLiteral("vsBonusOuter")),
            &RaisingScrollBar::shownValueChanged, chkOuterBonus, [this] { chkOuterBonus->setChecked(true); });
}

void LeaguePage::load(const SettingsRecord& s) {
    m_filling = true;
    cmbLeague->setCurrentIndex(std::max(0, cmbLeague->findText(s.League)));
    spnPeriod->setValue(s.PeriodSeconds);
    spnOvertime->setValue(s.OvertimeSeconds);
    spnShortReset->setValue(s.ShortReset);
    spnTimeouts->setValue(s.TimeoutsPerGame);
    chkFoulsReset->setChecked(s.FoulsResetEachPeriod);
    chkShotClockOff->setChecked(s.ShotClockOff);
    chkOuterBonus->setChecked(s.BonusOuter < leagues::NoBonus);
    setShotClockFile(s.ShotClockFile);
    m_filling = false;
}

void LeaguePage::save(SettingsRecord& s) const {
    s.League = cmbLeague->currentText();
    s.PeriodSeconds = spnPeriod->value();
    s.OvertimeSeconds = spnOvertime->value();
    s.ShortReset = static_cast<std::int16_t>(spnShortReset->value());
    s.TimeoutsPerGame = static_cast<std::int16_t>(spnTimeouts->value());
    s.FoulsResetEachPeriod = chkFoulsReset->isChecked();
    s.ShotClockOff = chkShotClockOff->isChecked();
    s.ShotClockFile = ShotClockTemp;
    if (!chkOuterBonus->isChecked()) {
        s.BonusOuter = leagues::NoBonus;
    }
}

void LeaguePage::leagueChosen(int index) {
    const leagues::League* league = index > 0 ? &leagues::all()[index - 1] : nullptr;
    if (m_filling || league == nullptr) {
        return; // "Custom" keeps the figures as they stand
    }
    SettingsRecord r;
    leagues::apply(*league, r, QCoreApplication::applicationDirPath());
    m_filling = true;
    spnPeriod->setValue(r.PeriodSeconds);
    spnOvertime->setValue(r.OvertimeSeconds);
    spnShortReset->setValue(r.ShortReset);
    spnTimeouts->setValue(r.TimeoutsPerGame);
    chkFoulsReset->setChecked(r.FoulsResetEachPeriod);
    chkShotClockOff->setChecked(r.ShotClockOff);
    chkOuterBonus->setChecked(r.BonusOuter < leagues::NoBonus);
    setShotClockFile(r.ShotClockFile);
    if (m_other != nullptr) {
        setBar("vsShotClock", "lblShotClock", r.ShotClockResetTime);
        setBar("vsBonusInner", "lblBonusInner", r.BonusInner);
        if (r.BonusOuter < leagues::NoBonus) {
            setBar("vsBonusOuter", "lblBonusOuter", r.BonusOuter);
        }
        m_other->findChild<QRadioButton*>(QLatin1String(r.GamePeriod != 0 ? "otnGameHalf" : "otnGamePeriod"))
            ->setChecked(true);
    }
    m_filling = false;
}

void LeaguePage::setBar(const char* barName, const char* labelName, int value) {
    m_other->findChild<RaisingScrollBar*>(QLatin1String(barName))->setShownValue(value);
    // The bar may stand there already, and then says nothing.
    m_other->findChild<QLabel*>(QLatin1String(labelName))->setText(QString::number(value));
}

void LeaguePage::edited() {
    if (m_filling) {
        return;
    }
    const QSignalBlocker blocker(cmbLeague);
    cmbLeague->setCurrentIndex(0);
}

void LeaguePage::setShotClockFile(const QString& file) {
    ShotClockTemp = file;
    lblSFile->setText(file.isEmpty() ? QStringLiteral("[Buzzer]") : options::fileCaption(file));
}

void LeaguePage::chooseShotClockSound() {
    const QString file = chooseExistingFile(QStringLiteral("Sounds (*.wav)"));
    if (file.isEmpty()) {
        return;
    }
    // As with the buzzer: a file the horn could not play keeps the sound it has, and the operator
    // is told why now, not at the end of a possession.
    QString why;
    if (!m_context.env.checkSound(file, &why)) {
        qCWarning(lcOptions).noquote() << "not a playable wave file:" << file + ":" << why;
        m_context.env.messages->warn(
            window(), QStringLiteral("Shot Clock Horn"),
            QStringLiteral("This file cannot be played as the shot-clock horn:\n%1\n\n%2\n\n"
                           "The shot clock keeps its sound.")
                .arg(QDir::toNativeSeparators(file), why));
        return;
    }
    setShotClockFile(file);
    edited();
}
