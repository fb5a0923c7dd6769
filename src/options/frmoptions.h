#pragma once

#include "options/audiencepage.h"
#include "options/optionsenvironment.h"
#include "options/optionspages.h"
#include "options/optionswidgets.h"
#include "settings/settings.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class LeaguePage;

// The options dialog: every persisted option on nine pages. It edits a copy of a settings
// record; OK hands the edited record to the environment's commit, Cancel drops it. Each
// page loads and saves its own part; the dialog holds what spans pages: the key capture.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmOptions(const SettingsRecord& settings, OptionsEnvironment environment = {},
                        QWidget* parent = nullptr);
    ~frmOptions() override;

    // Refills every control and staged value from `settings`, as each opening does.
    void load(const SettingsRecord& settings);
    // The record as the dialog shows it now: what OK would commit.
    SettingsRecord staged() const;
    // The record last committed by OK (the loaded one until then).
    const SettingsRecord& settings() const { return m_settings; }

    // Key capture. A key label is any label whose name contains "lblKey"; its key code is
    // its "tag" property, as decimal text.
    static QString KeyCodeToStr(int keyCode);
    QString IsKeyInUse(int keyCode) const;
    void SetKeyTextFromTags();
    void ChooseKey(QLabel* returnKeyTo);
    void KeyChosen(int keyCode);
    QLabel* waitingLabel() const { return ReturnKeyToObj; }

    // The team-name size for the current home and visitor names, and the staged values.
    void PreviewIt() { m_text->PreviewIt(); }
    std::int16_t tempSize() const { return m_text->tempSize(); }
    QString buzzTemp() const { return m_other->buzzTemp(); }
    QString homePicTemp() const { return m_pictures->homePicTemp(); }
    QString visitorPicTemp() const { return m_pictures->visitorPicTemp(); }
    QString boardPicTemp() const { return m_pictures->boardPicTemp(); }

    // A key label's background while idle and while it waits for a key.
    static QColor idleKeyColor() { return QColor(255, 255, 255); }
    static QColor waitingKeyColor() { return QColor(255, 255, 128); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void okClicked();
    void resetKeys();
    QList<QLabel*> keyLabels() const;
    QLabel* keyLabel(const char* name) const;
    // Stands for a key that has no code: no key has this code, so it has no name.
    static constexpr int UnnamedKey = 0;
    static int tagOf(const QLabel* label);
    static void setTag(QLabel* label, int keyCode);

    std::unique_ptr<QtOptionsChooser> m_ownChooser;
    std::unique_ptr<QtOptionsMessages> m_ownMessages;
    OptionsContext m_context;
    SettingsRecord m_settings;

    QTabWidget* SSTab1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLineEdit* txtGetKey = nullptr;
    KeysPage* m_keys = nullptr;
    QuickKeysPage* m_quickKeys = nullptr;
    ColorsPage* m_colors = nullptr;
    TextPage* m_text = nullptr;
    PicturesPage* m_pictures = nullptr;
    OtherSettingsPage* m_other = nullptr;
    LeaguePage* m_league = nullptr;
    AudiencePage* m_audience = nullptr;
    FeedPage* m_feed = nullptr;

    // The key label waiting for a key, or none.
    QLabel* ReturnKeyToObj = nullptr;
};
