#pragma once

#include "options/optionspages.h"

#include <QSpinBox>

class QCheckBox;
class QComboBox;
class QRadioButton;

// A time of up to 99:59 shown and typed as minutes:seconds; the arrows step whole minutes.
class ClockSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit ClockSpinBox(QWidget* parent);

protected:
    QString textFromValue(int seconds) const override;
    int valueFromText(const QString& text) const override;
    QValidator::State validate(QString& text, int& pos) const override;
};

// The league's rules: a preset fills in every figure it sets, here and on "Other Settings"
// (shot clock, bonus lights, periods or halves); editing any of them makes the choice
// "Custom". Also the shot clock's own horn.
class LeaguePage : public OptionsPage {
    Q_OBJECT
public:
    explicit LeaguePage(OptionsContext& context);
    // The figures this page fills in on "Other Settings"; it follows their edits from then on.
    void follow(OtherSettingsPage* other);
    void load(const SettingsRecord& settings) override;
    // Runs after "Other Settings" has saved: a league without an outer bonus light stores
    // its threshold as none.
    void save(SettingsRecord& settings) const override;

    QString shotClockTemp() const { return ShotClockTemp; }

private:
    void leagueChosen(int index);
    void edited();
    void chooseShotClockSound();
    void setShotClockFile(const QString& file);
    void setBar(const char* barName, const char* labelName, int value);

    QComboBox* cmbLeague = nullptr;
    ClockSpinBox* spnPeriod = nullptr;
    ClockSpinBox* spnOvertime = nullptr;
    QSpinBox* spnShortReset = nullptr;
    QSpinBox* spnTimeouts = nullptr;
    QCheckBox* chkFoulsReset = nullptr;
    QCheckBox* chkShotClockOff = nullptr;
    QCheckBox* chkOuterBonus = nullptr;
    QLabel* lblSFile = nullptr;
    OtherSettingsPage* m_other = nullptr;
    QString ShotClockTemp;
    // Set while the page itself changes values: those are no edits.
    bool m_filling = false;
};
