#pragma once

#include "options/optionsenvironment.h"
#include "settings/settings.h"

#include <QWidget>
#include <array>
#include <cstdint>

class ColorSwatch;
class DotPanel;
class ImageBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QCheckBox;
class QScrollBar;
class QSpinBox;
class RaisingScrollBar;

// What the pages of the options dialog share: its services (every member filled in) and the
// file the next file chooser starts on, the last one chosen in this opening.
struct OptionsContext {
    OptionsEnvironment env;
    QString lastFileName;
};

// A page of the options dialog: it shows part of a settings record and writes it back.
class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(OptionsContext& context) : m_context(context) {}
    virtual void load(const SettingsRecord& settings) = 0;
    virtual void save(SettingsRecord& settings) const = 0;

protected:
    // A question with Yes and No before a reset; true for Yes.
    bool askToReset(const QString& text, const QString& title);
    // A file from the chooser that exists, or empty; remembered for the next chooser.
    QString chooseExistingFile(const QString& filter);

    OptionsContext& m_context;
};

// A boxed key label in its titled group; its key code is the label's "tag" property.
QLabel* addKeyGroup(QWidget* page, const QString& title, const char* labelName, QPoint twipsOnPage);

// The six command keys, the NumLock mode and "Reset Keys".
class KeysPage : public OptionsPage {
    Q_OBJECT
public:
    explicit KeysPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;
    void selectNormalMode();

signals:
    void resetKeysClicked();

private:
    QRadioButton* optNormal = nullptr;
    QRadioButton* optKeepOn = nullptr;
    QRadioButton* optKeepOff = nullptr;
};

// The eleven quick keys and a second "Reset Keys".
class QuickKeysPage : public OptionsPage {
    Q_OBJECT
public:
    explicit QuickKeysPage(OptionsContext& context);
    void load(const SettingsRecord&) override {}
    void save(SettingsRecord&) const override {}

signals:
    void resetKeysClicked();
};

// The nine colours and the width of the selection mark.
class ColorsPage : public OptionsPage {
    Q_OBJECT
public:
    explicit ColorsPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

private:
    ColorSwatch* addColorGroup(const QString& title, const char* swatchName, const char* buttonName,
                               QRect twips);
    void chooseColor(ColorSwatch* swatch);
    void resetColors();

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
};

// The board, home and visitor names, and the size the team names are shown at.
class TextPage : public OptionsPage {
    Q_OBJECT
public:
    explicit TextPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

    // The team-name size for the current home and visitor names.
    void PreviewIt();
    std::int16_t tempSize() const { return TempSize; }

private:
    QLineEdit* txtTitleText = nullptr;
    QLineEdit* txtHomeText = nullptr;
    QLineEdit* txtVisitorText = nullptr;
    // Measuring labels, below the visible area.
    QLabel* lblHomePreview = nullptr;
    QLabel* lblVisitorPreview = nullptr;
    std::int16_t TempSize = 0;
};

// The three pictures and the digit style.
class PicturesPage : public OptionsPage {
    Q_OBJECT
public:
    explicit PicturesPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

    QString homePicTemp() const { return HomePicTemp; }
    QString visitorPicTemp() const { return VisitorPicTemp; }
    QString boardPicTemp() const { return BoardPicTemp; }

private:
    struct Preview {
        ImageBox* image = nullptr;
        QWidget* area = nullptr; // inside the container's border: the picture fits here
        QString* staged = nullptr;
    };
    void addPictureGroup(const QString& title, Preview& preview, const char* stem, QPoint twips);
    void choosePicture(Preview& preview);
    void showPicture(Preview& preview);

    QString HomePicTemp;
    QString VisitorPicTemp;
    QString BoardPicTemp;
    Preview m_home;
    Preview m_visitor;
    Preview m_board;
    QComboBox* cmbLedType = nullptr;
    DotPanel* dotPreview = nullptr;
};

// Bonus thresholds, the shot clock's reset time, periods or halves, and the buzzer sound.
class OtherSettingsPage : public OptionsPage {
    Q_OBJECT
public:
    explicit OtherSettingsPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

    QString buzzTemp() const { return BuzzTemp; }

private:
    void chooseBuzzerSound();
    void testBuzzerSound();
    void resetAdditionalSettings();

    QLabel* lblBonusInner = nullptr;
    QLabel* lblBonusOuter = nullptr;
    QLabel* lblShotClock = nullptr;
    RaisingScrollBar* vsBonusInner = nullptr;
    RaisingScrollBar* vsBonusOuter = nullptr;
    RaisingScrollBar* vsShotClock = nullptr;
    QRadioButton* otnGamePeriod = nullptr;
    QRadioButton* otnGameHalf = nullptr;
    QLabel* lblBFile = nullptr;
    QString BuzzTemp;
};

// The live feed: on or off, its port, this computer or the network, the token, and the addresses
// to copy into a streaming program or a browser.
class FeedPage : public OptionsPage {
    Q_OBJECT
public:
    explicit FeedPage(OptionsContext& context);
    void load(const SettingsRecord& settings) override;
    void save(SettingsRecord& settings) const override;

    // This computer's address on the local network, for the addresses shown; its name when it
    // has none.
    static QString localNetworkHost();

private:
    void needToken();
    void showUrls();

    QCheckBox* chkFeedEnabled = nullptr;
    QSpinBox* spnFeedPort = nullptr;
    QRadioButton* optFeedLocal = nullptr;
    QRadioButton* optFeedNetwork = nullptr;
    QLineEdit* txtFeedToken = nullptr;
    std::array<QLineEdit*, 4> m_urls{};
    QString m_host;
};
