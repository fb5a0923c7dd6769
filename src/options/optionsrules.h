#pragma once

#include "settings/settings.h"

#include <QFont>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>

// The options dialog's rules that need no window: key names, the buzzer caption, the
// team-name size and the ranges of the dialog's controls.
namespace options {

// A key label of the dialog and the record field it edits (its reset puts back the field's default).
struct KeyBinding {
    const char* labelName;
    std::int16_t SettingsRecord::*field;
};

// The eighteen key labels, in the order the dialog loads them.
inline constexpr std::array<KeyBinding, 18> KeyBindings{{
    {"lblKeyStartStopClock", &SettingsRecord::StartStopClockKey},
    {"lblKeyResetClock", &SettingsRecord::ResetClockKey},
    {"lblKeyResetShotClock", &SettingsRecord::ResetShotClockKey},
    {"lblKeyClockSwitch", &SettingsRecord::ClockSwitchKey},
    {"lblKeyClear", &SettingsRecord::ClearKey},
    {"lblKeyBuzzer", &SettingsRecord::BuzzerKey},
    {"lblKeyHS1", &SettingsRecord::QScoreH1},
    {"lblKeyHS2", &SettingsRecord::QScoreH2},
    {"lblKeyHS3", &SettingsRecord::QScoreH3},
    {"lblKeyVS1", &SettingsRecord::QScoreV1},
    {"lblKeyVS2", &SettingsRecord::QScoreV2},
    {"lblKeyVS3", &SettingsRecord::QScoreV3},
    {"lblKeyHF1", &SettingsRecord::QFoulH1},
    {"lblKeyVF1", &SettingsRecord::QFoulV1},
    {"lblKeyPeriod1", &SettingsRecord::QPeriod1},
    {"lblKeyTolH1", &SettingsRecord::QTOLH1},
    {"lblKeyTolV1", &SettingsRecord::QTOLV1},
    {"lblKeyShortReset", &SettingsRecord::ShortResetKey},
}};

// What a key is called on its label; empty for a key that cannot be bound (F1 to F4,
// F10, digits, arrows, Space, Enter, Tab, Esc, Shift, Alt, and every unknown code).
QString KeyCodeToStr(int keyCode);

// The buzzer file as its caption shows it: "[No File Selected]" for none, a path of up to
// 50 characters whole, a longer one as its first 10 characters, " ...", a separator and
// the file's name (nothing after the separator when the file no longer exists).
QString fileCaption(const QString& path);
inline constexpr int WholePathLimit = 50;

// The face the team names are measured in (and shown in on the board).
QFont teamNameFont(int points);
// A measuring label's extent in twips, one-pixel border included; an empty text has only
// its border.
QSize nameExtentTwips(const QFont& font, const QString& text);
// The largest size from 60 down to 10 at which both names are narrower than 1900 twips
// and lower than 600; 10 when none fits.
int teamNameSize(const QString& home, const QString& visitor);
inline constexpr int LargestNameSize = 60;
inline constexpr int SmallestNameSize = 10;
inline constexpr int NameWidthLimit = 1900;
inline constexpr int NameHeightLimit = 600;

// Ranges of the dialog's controls; stored values outside them are shown clamped.
struct Range {
    int low;
    int high;
    int clamp(int value) const { return value < low ? low : (value > high ? high : value); }
};
inline constexpr Range ShotClockRange{0, 99};
inline constexpr Range BonusRange{0, 20};
inline constexpr Range SelectedWidthRange{0, 5};
inline constexpr Range LedTypeRange{0, 1};
inline constexpr int TitleLength = 25;
inline constexpr int TeamNameLength = 20;

// The stored team-name size as the dialog holds it: whole points within 16 bits.
std::int16_t tempSizeFrom(Currency teamSize);

// The live feed's addresses as the options show them to copy. On the network they name `host`
// (this computer's address there) and carry the token; otherwise they name 127.0.0.1.
struct FeedUrls {
    QString overlay;
    QString board;
    QString state;
    QString feed;
};
FeedUrls feedUrls(const SettingsRecord& settings, const QString& host);
inline constexpr Range FeedPortRange{1, 65535};

} // namespace options
