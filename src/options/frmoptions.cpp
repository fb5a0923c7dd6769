#include "options/frmoptions.h"

#include "options/leaguepage.h"
#include "options/optionsrules.h"
#include "platform/keycodes.h"
#include "platform/numlock.h"
#include "platform/twips.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

using namespace options::layout;

frmOptions::frmOptions(const SettingsRecord& settings, OptionsEnvironment environment, QWidget* parent)
    : QDialog(parent) {
    OptionsEnvironment& env = m_context.env;
    env = std::move(environment);
    if (env.chooser == nullptr) {
        m_ownChooser = std::make_unique<QtOptionsChooser>();
        env.chooser = m_ownChooser.get();
    }
    if (env.messages == nullptr) {
        m_ownMessages = std::make_unique<QtOptionsMessages>();
        env.messages = m_ownMessages.get();
    }
    if (!env.checkSound) {
        env.checkSound = options::isPlayableSound;
    }

    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(dialogFont());
    setFixedSize(twips::toPixels(QSize(DialogWidth, DialogHeight)));

    // The capture field lies under the tab control, below "Reset Keys": never seen, but not
    // hidden, so it can take the focus whichever page shows. Tab passes it by.
    txtGetKey = new QLineEdit(this);
    txtGetKey->setObjectName(QStringLiteral("txtGetKey"));
    txtGetKey->setFrame(false);
    txtGetKey->setFocusPolicy(Qt::ClickFocus);
    txtGetKey->setAccessibleName(QStringLiteral("Key capture"));
    txtGetKey->setGeometry(inside(QRect(ResetButton.topLeft() + QPoint(120, 120), QSize(15, 15))));
    txtGetKey->installEventFilter(this);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setGeometry(inside(QRect(120, 120, 5895, 4455)));
    // A click on a tab takes the focus, so it ends a key capture.
    SSTab1->tabBar()->setFocusPolicy(Qt::StrongFocus);
    m_keys = new KeysPage(m_context);
    m_quickKeys = new QuickKeysPage(m_context);
    m_colors = new ColorsPage(m_context);
    m_text = new TextPage(m_context);
    m_pictures = new PicturesPage(m_context);
    m_other = new OtherSettingsPage(m_context);
    m_feed = new FeedPage(m_context);
    SSTab1->addTab(m_keys, QStringLiteral("Keys"));
    SSTab1->addTab(m_quickKeys, QStringLiteral("Quick Keys"));
    SSTab1->addTab(m_colors, QStringLiteral("Colors"));
    SSTab1->addTab(m_text, QStringLiteral("Text"));
    SSTab1->addTab(m_pictures, QStringLiteral("Pictures"));
    SSTab1->addTab(m_other, QStringLiteral("Other Settings"));
    m_league = new LeaguePage(m_context);
    m_league->follow(m_other);
    SSTab1->addTab(m_league, QStringLiteral("League"));
    m_audience = new AudiencePage(m_context);
    SSTab1->addTab(m_audience, QStringLiteral("Audience"));
    SSTab1->addTab(m_feed, QStringLiteral("Live Feed"));
    txtGetKey->stackUnder(SSTab1);
    connect(m_keys, &KeysPage::resetKeysClicked, this, &frmOptions::resetKeys);
    connect(m_quickKeys, &QuickKeysPage::resetKeysClicked, this, &frmOptions::resetKeys);
    for (QLabel* label : keyLabels()) {
        label->installEventFilter(this);
    }

    cmdOk = addButton(this, "cmdOk", QStringLiteral("&Ok"), inside(QRect(1958, 4740, 1080, 375)));
    cmdCancel = addButton(this, "cmdCancel", QStringLiteral("&Cancel"), inside(QRect(3263, 4740, 1080, 375)));
    connect(cmdOk, &QPushButton::clicked, this, &frmOptions::okClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    load(settings);
}

frmOptions::~frmOptions() = default;

// ---- Opening and OK ----

void frmOptions::load(const SettingsRecord& s) {
    m_settings = s;
    m_context.lastFileName.clear();
    if (ReturnKeyToObj != nullptr) {
        setBackground(ReturnKeyToObj, idleKeyColor());
        ReturnKeyToObj = nullptr;
    }
    SSTab1->setCurrentIndex(0);
    // Keys: every tag first, then every caption from its tag.
    for (const options::KeyBinding& binding : options::KeyBindings) {
        setTag(keyLabel(binding.labelName), s.*binding.field);
    }
    SetKeyTextFromTags();
    m_colors->load(s);
    m_keys->load(s);
    m_quickKeys->load(s);
    m_pictures->load(s);
    m_text->load(s);
    m_other->load(s);
    m_league->load(s);
    m_audience->load(s);
    m_feed->load(s);
}

SettingsRecord frmOptions::staged() const {
    SettingsRecord r = m_settings;
    m_colors->save(r);
    for (const options::KeyBinding& binding : options::KeyBindings) {
        r.*binding.field = static_cast<std::int16_t>(tagOf(keyLabel(binding.labelName)));
    }
    m_keys->save(r);
    m_quickKeys->save(r);
    m_text->save(r);
    m_pictures->save(r);
    m_other->save(r);
    m_league->save(r);
    m_audience->save(r);
    m_feed->save(r);
    return r;
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

void frmOptions::okClicked() {
    const SettingsRecord record = staged();
    if (m_context.env.setNumLock && record.NumLockForce != modGrabKeys::NumLockLeaveAlone) {
        m_context.env.setNumLock(record.NumLockForce == modGrabKeys::NumLockKeepOn);
    }
    const CommitResult result = m_context.env.commit ? m_context.env.commit(record) : CommitResult{};
    m_settings = record;
    if (!result.saved) {
        // The new options are in force all the same; the operator must know they will not
        // survive a restart. The commit has logged the failure already.
        m_context.env.messages->warn(
            this, QStringLiteral("Options"),
            QStringLiteral("The options are in use now but could not be saved to\n%1\n"
                           "They will be lost when the program ends.")
                .arg(result.location));
    }
    accept();
}

void frmOptions::resetKeys() {
    if (!m_context.env.messages->askYesNo(
            this, QStringLiteral("Reset Keys"),
            QStringLiteral("Are you sure you want to reset Keys, Quick Keys, and Numlock option?"))) {
        return;
    }
    const SettingsRecord defaults = DefaultSettings(QString());
    for (const options::KeyBinding& binding : options::KeyBindings) {
        setTag(keyLabel(binding.labelName), defaults.*binding.field);
    }
    m_keys->selectNormalMode();
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
        setBackground(waiting, idleKeyColor());
        waiting->setText(KeyCodeToStr(tagOf(waiting)));
    }
    if (waiting == nullptr || waiting->objectName() != returnKeyTo->objectName()) {
        txtGetKey->setFocus(Qt::OtherFocusReason);
        setBackground(returnKeyTo, waitingKeyColor());
        returnKeyTo->setText(QStringLiteral("<Press any key>"));
        ReturnKeyToObj = returnKeyTo;
    } else {
        ReturnKeyToObj = nullptr; // a second click on the waiting label cancels
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
        setBackground(waiting, idleKeyColor());
        ReturnKeyToObj = nullptr;
    } else {
        waiting->setText(QStringLiteral("Choose another"));
    }
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtGetKey) {
        const bool press = event->type() == QEvent::KeyPress;
        if (press || event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Tab moves on (and so abandons the capture); Esc still cancels the dialog.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape) {
                return false;
            }
            if (!press) {
                // While a label waits, every key is the key asked for: Alt+O or Alt+C must bind
                // O or C, not press OK or Cancel through their mnemonics.
                key->setAccepted(ReturnKeyToObj != nullptr);
                return ReturnKeyToObj != nullptr;
            }
            txtGetKey->clear();
            // A key without a code has no name: refused like any unnamed key, not an abandon.
            const int code = keycodes::fromKeyEvent(*key);
            KeyChosen(code == keycodes::NoKey ? UnnamedKey : code);
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
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (auto* label = qobject_cast<QLabel*>(watched)) {
            ChooseKey(label);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
