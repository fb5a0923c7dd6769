#include "options/audiencepage.h"

#include "options/optionswidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

using namespace options::layout;

AudiencePage::AudiencePage(OptionsContext& context) : OptionsPage(context) {
    QGroupBox* screen = addGroup(this, QStringLiteral("Audience Screen:"), QRect(360, 600, 5175, 1095));
    cmbScreen = new QComboBox(screen);
    cmbScreen->setObjectName(QStringLiteral("cmbScreen"));
    cmbScreen->setAccessibleName(QStringLiteral("Audience screen"));
    cmbScreen->setGeometry(inside(QRect(240, 360, 4695, 375)));

    chkOpenAtStart = new QCheckBox(QStringLiteral("Open the audience window when the program starts"), this);
    chkOpenAtStart->setObjectName(QStringLiteral("chkOpenAtStart"));
    chkOpenAtStart->setGeometry(onPage(QRect(480, 1920, 5055, 285)));

    QLabel* keys =
        addCaption(this,
                   QStringLiteral("F3 shows or hides the audience window; F4 blacks it out and back. "
                                  "When its screen is unplugged the window waits for it to return."),
                   QRect(480, 2400, 5055, 735));
    keys->setWordWrap(true);
}

QString AudiencePage::screenText(const ScreenInfo& screen) {
    QStringList parts{screen.identity.name};
    if (!screen.identity.model.isEmpty()) {
        parts << screen.identity.model;
    }
    parts << QStringLiteral("%1 × %2").arg(screen.size.width()).arg(screen.size.height());
    return parts.join(QStringLiteral(", "));
}

void AudiencePage::load(const SettingsRecord& s) {
    const ScreenIdentity chosen{s.Screen, s.ScreenModel, s.ScreenSerial};
    const QList<ScreenInfo> screens = m_context.env.screens ? m_context.env.screens() : connectedScreens();

    cmbScreen->clear();
    m_choices.clear();
    cmbScreen->addItem(QStringLiteral("None"));
    m_choices.append(ScreenIdentity{});
    int selected = 0;
    for (const ScreenInfo& screen : screens) {
        if (selected == 0 && screenMatches(chosen, screen.identity)) {
            selected = int(m_choices.size());
            // What was stored stays: a model or serial the monitor did not report then is not
            // added behind the operator's back.
            m_choices.append(chosen);
        } else {
            m_choices.append(screen.identity);
        }
        cmbScreen->addItem(screenText(screen));
    }
    // A chosen screen that is unplugged now stays chosen unless the operator picks another.
    if (!chosen.isNone() && selected == 0) {
        selected = int(m_choices.size());
        m_choices.append(chosen);
        cmbScreen->addItem(QStringLiteral("%1 (not connected)").arg(chosen.name));
    }
    cmbScreen->setCurrentIndex(selected);
    chkOpenAtStart->setChecked(audienceOpensAtStart(s));
}

void AudiencePage::save(SettingsRecord& s) const {
    const ScreenIdentity chosen = m_choices.value(cmbScreen->currentIndex());
    s.Screen = chosen.name;
    s.ScreenModel = chosen.model;
    s.ScreenSerial = chosen.serial;
    s.OpenAtStart = chkOpenAtStart->isChecked() ? QStringLiteral("Yes") : QStringLiteral("No");
}
