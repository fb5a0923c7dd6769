#pragma once

#include "options/optionspages.h"
#include "platform/screenidentity.h"

#include <QList>

class QCheckBox;
class QComboBox;

// Where the audience sees the board: the screen its window opens on, and whether it opens with
// the program. The screen is kept by name, model and serial number, never by its place in the
// list, so the choice survives screens being renumbered.
class AudiencePage : public OptionsPage {
    Q_OBJECT
public:
    explicit AudiencePage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

    // What the screen list shows for a connected screen: its name, model and size.
    static QString screenText(const ScreenInfo& screen);

private:
    QComboBox* cmbScreen = nullptr;
    QCheckBox* chkOpenAtStart = nullptr;
    // The identity behind each entry of the list; the first is "None".
    QList<ScreenIdentity> m_choices;
};
