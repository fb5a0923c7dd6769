#pragma once

#include "components/currency.h"

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

class SettingsStore;

// Every persisted option. The fields bear the names of their store keys and are read
// directly by the board, the clocks, the colour scheme and the options dialog.
// Colours are RGB with red in the low byte; key codes are virtual-key codes.
struct SettingsRecord {
    std::int32_t FormBack{};
    std::int32_t TimeColor{};
    std::int32_t ScoreColor{};
    std::int32_t PeriodColor{};
    std::int32_t LEDBack{};
    std::int32_t LEDSelected{};
    std::int32_t BorderColor{};
    std::int32_t HomeColor{};
    std::int32_t VisitorColor{};

    std::int16_t LEDSelectedWidth{};

    // The six main keys.
    std::int16_t StartStopClockKey{};
    std::int16_t ResetClockKey{};
    std::int16_t ResetShotClockKey{};
    std::int16_t ClockSwitchKey{};
    std::int16_t ClearKey{};
    std::int16_t BuzzerKey{};

    // The eleven quick keys.
    std::int16_t QScoreH1{};
    std::int16_t QScoreH2{};
    std::int16_t QScoreH3{};
    std::int16_t QScoreV1{};
    std::int16_t QScoreV2{};
    std::int16_t QScoreV3{};
    std::int16_t QFoulH1{};
    std::int16_t QFoulV1{};
    std::int16_t QTOLH1{};
    std::int16_t QTOLV1{};
    std::int16_t QPeriod1{};

    // 0 leave NumLock alone, 1 keep it on, 2 keep it off.
    std::int32_t NumLockForce{};

    QString TitleText;
    QString HomeText;
    QString VisitorText;

    // Point size of the two team names before the board scales them.
    Currency TeamSize;

    QString BuzzerFile;

    QString HomePic;
    QString VisitorPic;
    QString BoardPic;

    std::int16_t LEDType{};
    std::int16_t ShotClockResetTime{};
    std::int16_t BonusInner{};
    std::int16_t BonusOuter{};
    // 0 periods, any other value halves.
    std::int16_t GamePeriod{};

    // Resets the shot clock to ShortReset; rebound like the six main keys.
    std::int16_t ShortResetKey{};

    // League rules. League names the preset the figures below came from, "Custom" once any was
    // edited; the board goes by the figures, never by the name.
    QString League;
    std::int32_t PeriodSeconds{};
    std::int32_t OvertimeSeconds{};
    // 0: no short reset.
    std::int16_t ShortReset{};
    bool FoulsResetEachPeriod{};
    // Blank and silence the shot clock while the game clock shows less time than it.
    bool ShotClockOff{};
    // The shot clock's own horn; empty: it sounds the buzzer.
    QString ShotClockFile;
    // What both teams' timeouts left start at.
    std::int16_t TimeoutsPerGame{};
    // The audience's screen, by what the system calls it (QScreen's name, model and serial
    // number), never by its place in the list, so that the choice survives renumbering. An
    // empty Screen is none.
    QString Screen;
    QString ScreenModel;
    QString ScreenSerial;
    // "Yes" opens the audience window with the program; anything else does not.
    QString OpenAtStart;
    // The live feed for overlays and displays: off by default, on this computer only unless
    // FeedNetwork, where every request must carry FeedToken.
    bool FeedEnabled{};
    std::int32_t FeedPort{};
    bool FeedNetwork{};
    QString FeedToken;

    bool operator==(const SettingsRecord&) const = default;
};

// The process-wide record: zeros and empty texts until LoadSettings has run. Change it only
// through CommitSettings, so that whoever shows it hears of the change.
extern SettingsRecord Settings;

// Fills Settings from the process-wide store (the buzzer's default file lies beside the
// executable) and announces it as CommitSettings does.
void LoadSettings();
// The same load from any store into any record, with the executable's folder given. The
// store is opened once for the whole load; a store that cannot be opened gives the defaults.
void LoadSettings(const SettingsStore& store, SettingsRecord& into, const QString& executableDir);

// Writes every key of the record to the store, and "IsKeyCode" as "Yes", in one open of the
// store. Returns whether all of it reached the store; when it did not, what the store held
// before is left as it was (for the file store: the old file stays whole).
bool SaveSettings(SettingsStore& store, const SettingsRecord& record);

// The record an empty store loads as: every key's default, LEDSelected as FormBack, the
// buzzer file beside the executable.
SettingsRecord DefaultSettings(const QString& executableDir);

// Puts the record in place of the process-wide Settings and, when anything differs, emits
// settingsChanges().changed() (see settingsnotifier.h).
void CommitSettings(const SettingsRecord& record);

// ---- Defaults that have no key ----

// The game clock's start time, and what its reset key restores until a time is typed in.
inline constexpr int GameClockStartSeconds = 600;

// ---- The keys of the store ----

// Every key, in the order LoadSettings reads them.
enum class SettingId {
    TimeColor,
    LEDBack,
    ScoreColor,
    PeriodColor,
    FormBack,
    LEDSelected,
    BorderColor,
    HomeColor,
    VisitorColor,
    LEDSelectedWidth,
    StartStopClockKey,
    ResetClockKey,
    ResetShotClockKey,
    ClockSwitchKey,
    ClearKey,
    BuzzerKey,
    BuzzerFile,
    QScoreH1,
    QScoreH2,
    QScoreH3,
    QScoreV1,
    QScoreV2,
    QScoreV3,
    QFoulH1,
    QFoulV1,
    QPeriod1,
    QTOLH1,
    QTOLV1,
    NumLockForce,
    IsKeyCode,
    TitleText,
    HomeText,
    VisitorText,
    TeamSize,
    HomePic,
    VisitorPic,
    BoardPic,
    LEDType,
    ShotClockResetTime,
    BonusInner,
    BonusOuter,
    GamePeriod,
    ShortResetKey,
    League,
    PeriodSeconds,
    OvertimeSeconds,
    ShortReset,
    FoulsResetEachPeriod,
    ShotClockOff,
    ShotClockFile,
    TimeoutsPerGame,
    Screen,
    ScreenModel,
    ScreenSerial,
    OpenAtStart,
    FeedEnabled,
    FeedPort,
    FeedNetwork,
    FeedToken,
};

// Where a key's value goes in the record; IsKeyCode has no field (monostate).
// Yes/no options are stored as "Yes" and "No".
using SettingField =
    std::variant<std::monostate, std::int32_t SettingsRecord::*, std::int16_t SettingsRecord::*,
                 QString SettingsRecord::*, Currency SettingsRecord::*, bool SettingsRecord::*>;

// Two defaults depend on what is around them rather than being fixed texts.
enum class SettingDefault {
    Fixed,           // defaultText
    LoadedFormBack,  // LEDSelected: whatever FormBack holds at that moment
    BesideExecutable // BuzzerFile: executable folder + separator + defaultText
};

struct SettingKey {
    SettingId id;
    const char* section;
    const char* key;
    const char* defaultText;
    SettingField field;
    SettingDefault defaultKind = SettingDefault::Fixed;
};

inline constexpr const char* SettingsApplication = "Ravenmark";

// The whole table, in load order (indexable by SettingId).
std::span<const SettingKey> settingKeys();
const SettingKey& settingKey(SettingId id);

// A key's default as a number (0 where it is no fixed number): for whoever needs one default, not a
// whole record.
std::int64_t settingDefaultNumber(SettingId id);
// The text a key defaults to, given the record loaded so far and the executable's folder.
QString settingDefaultText(const SettingKey& key, const SettingsRecord& loadedSoFar,
                           const QString& executableDir);
// A field's value as the store keeps it: numbers as plain decimal text, texts verbatim.
// Empty for IsKeyCode, which has no field.
QString storedText(const SettingsRecord& record, const SettingKey& key);

// Whether the audience window opens with the program: exactly "Yes", as the options write it.
bool audienceOpensAtStart(const SettingsRecord& record);

// A fresh random token for the live feed: 128 bits as 32 lower-case hex digits, which need no
// escaping in a URL.
QString newFeedToken();

// ---- Stored text to number ----
//
// A stored number is: optional blanks, an optional sign ('+' or '-'), ASCII digits, an
// optional '.' followed by more digits, optional blanks; at least one digit in all. A
// fraction is rounded to the nearest whole number, a tie to the even one ("2.5" -> 2,
// "3.5" -> 4, "-2.5" -> -2). No grouping, exponents, hex or other digits. Text that does
// not fit this, or whose value lies beyond the 64-bit range, is not a number.
std::optional<std::int64_t> parseStoredNumber(QStringView text);
