#pragma once

#include "options/optionsenvironment.h"
#include "settings/settings.h"

#include <QDialog>
#include <QFrame>
#include <QScrollBar>
#include <memory>

class DotPanel;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// A colour swatch: shows a stored colour and keeps its exact stored value.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent);
    std::int32_t color() const { return m_color; }
    void setColor(std::int32_t color);

private:
    std::int32_t m_color = 0;
};

// A vertical scroll bar whose upper arrow raises the value (Qt's own puts the minimum at
// the top). It runs over the negated range inside; everything outside sees the value shown.
class RaisingScrollBar : public QScrollBar {
    Q_OBJECT
public:
    RaisingScrollBar(int low, int high, QWidget* parent);
    int shownValue() const { return -value(); }
    void setShownValue(int value) { setValue(-value); }

signals:
    void shownValueChanged(int value);
};

// The options dialog: every persisted option on six pages. It edits a copy of a settings
// record; OK hands the edited record to the environment's commit, Cancel drops it.
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

    // Key capture.
    static QString KeyCodeToStr(int keyCode);
    QString IsKeyInUse(int keyCode) const;
    void SetKeyTextFromTags();
    void ChooseKey(QLabel* returnKeyTo);
    void KeyChosen(int keyCode);
    QLabel* waitingLabel() const { return ReturnKeyToObj; }

    // The team-name size for the current home and visitor names.
    void PreviewIt();

    // Staged values.
    QString buzzTemp() const { return BuzzTemp; }
    std::int16_t tempSize() const { return TempSize; }
    QString homePicTemp() const { return HomePicTemp; }
    QString visitorPicTemp() const { return VisitorPicTemp; }
    QString boardPicTemp() const { return BoardPicTemp; }

    // A key label's background while idle and while it waits for a key.
    static QColor idleKeyColor() { return QColor(255, 255, 255); }
    static QColor waitingKeyColor() { return QColor(255, 255, 128); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void okClicked();
    void resetKeys();
    void resetColors();
    void resetAdditionalSettings();
    void chooseBuzzerSound();

private:
    void buildKeysPage(QWidget* page);
    void buildQuickKeysPage(QWidget* page);
    void buildColorsPage(QWidget* page);
    void buildTextPage(QWidget* page);
    void buildPicturesPage(QWidget* page);
    void buildOtherPage(QWidget* page);
    QLabel* addKeyGroup(QWidget* page, const QString& title, const char* labelName, int left, int top);
    ColorSwatch* addColorGroup(QWidget* page, const QString& title, const char* swatchName,
                               const char* buttonName, int left, int top, int height = 735);
    QLineEdit* addTextGroup(QWidget* page, const QString& title, const char* name, int top, int maxLength);
    struct PicturePreview;
    void addPictureGroup(QWidget* page, const QString& title, PicturePreview& preview, const char* stem,
                         int left, int top);
    QLabel* addValueLabel(QWidget* parent, const char* name, QRect designTwips);

    QList<QLabel*> keyLabels() const;
    QLabel* keyLabel(const char* name) const;
    static int tagOf(const QLabel* label);
    static void setTag(QLabel* label, int keyCode);
    static void paintKeyLabel(QLabel* label, const QColor& background);

    void chooseColor(ColorSwatch* swatch);
    void choosePicture(PicturePreview& preview);
    void clearPicture(PicturePreview& preview);
    void showPicture(PicturePreview& preview);
    bool askToReset(const QString& text, const QString& title);

    OptionsEnvironment m_env;
    std::unique_ptr<QtOptionsChooser> m_ownChooser;
    std::unique_ptr<QtOptionsMessages> m_ownMessages;
    SettingsRecord m_settings;

    QTabWidget* SSTab1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLineEdit* txtGetKey = nullptr;

    // Keys.
    QRadioButton* optNormal = nullptr;
    QRadioButton* optKeepOn = nullptr;
    QRadioButton* optKeepOff = nullptr;
    QPushButton* cmdResetKeys = nullptr;
    QPushButton* Command1 = nullptr;

    // Colors.
    ColorSwatch* picTimeC = nullptr;
    ColorSwatch* picHomeC = nullptr;
    ColorSwatch* picVisitorC = nullptr;
    ColorSwatch* picScoreC = nullptr;
    ColorSwatch* picPeriodC = nullptr;
    ColorSwatch* picLEDB = nullptr;
    ColorSwatch* picBackC = nullptr;
    ColorSwatch* picLedSelected = nullptr;
    ColorSwatch* picBorderC = nullptr;
    QLabel* lblLEDSelectedWidthValue = nullptr;
    QScrollBar* scrLEDSelectedWidth = nullptr;
    QPushButton* cmdResetColors = nullptr;

    // Text.
    QLineEdit* txtTitleText = nullptr;
    QLineEdit* txtHomeText = nullptr;
    QLineEdit* txtVisitorText = nullptr;
    QLabel* lblHomePreview = nullptr;
    QLabel* lblVisitorPreview = nullptr;

    // Pictures.
    struct PicturePreview {
        QLabel* image = nullptr;
        QFrame* container = nullptr;
        QString* staged = nullptr;
    };
    PicturePreview m_homePreview;
    PicturePreview m_visitorPreview;
    PicturePreview m_boardPreview;
    QComboBox* cmbLedType = nullptr;
    DotPanel* dotPreview = nullptr;

    // Other settings.
    QLabel* lblBonusInner = nullptr;
    QLabel* lblBonusOuter = nullptr;
    QLabel* lblShotClock = nullptr;
    RaisingScrollBar* vsBonusInner = nullptr;
    RaisingScrollBar* vsBonusOuter = nullptr;
    RaisingScrollBar* vsShotClock = nullptr;
    QRadioButton* otnGamePeriod = nullptr;
    QRadioButton* otnGameHalf = nullptr;
    QPushButton* cmdBuzzerSound = nullptr;
    QLabel* lblBFile = nullptr;
    QPushButton* cmdResetAdditSetttings = nullptr;

    // Staged values and the capture state.
    QString BuzzTemp;
    std::int16_t TempSize = 0;
    QString HomePicTemp;
    QString VisitorPicTemp;
    QString BoardPicTemp;
    QLabel* ReturnKeyToObj = nullptr;
    // The file the next file chooser starts on: the last one chosen in this opening.
    QString m_lastFileName;
};
