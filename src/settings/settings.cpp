#include "settings/settings.h"

#include "settings/leagues.h"
#include "settings/settingsnotifier.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QLatin1StringView>
#include <QRandomGenerator>
#include <array>
#include <limits>
#include <type_traits>
#include <utility>

SettingsRecord Settings;

namespace {

using R = SettingsRecord;
using Id = SettingId;
constexpr const char* Color = "ColorSettings";
constexpr const char* Keys = "KeySettings";
constexpr const char* Quick = "QuickKeySettings";
constexpr const char* Text = "TextSettings";
constexpr const char* Pic = "PicSettings";
constexpr const char* Additional = "AdditionalSettings";
constexpr const char* Rules = "RuleSettings";
constexpr const char* Audience = "AudienceSettings";
constexpr const char* Feed = "FeedSettings";

// Sections, key names and defaults of the store, in the order the load reads them. Five
// keys sit in sections their names do not suggest (LEDSelectedWidth, BuzzerFile,
// NumLockForce, LEDType, TeamSize); users' stores already hold them there.
constexpr std::array<SettingKey, 59> Table{{
    {Id::TimeColor, Color, "TimeColor", "33023", &R::TimeColor},
    {Id::LEDBack, Color, "LEDBack", "0", &R::LEDBack},
    {Id::ScoreColor, Color, "ScoreColor", "255", &R::ScoreColor},
    {Id::PeriodColor, Color, "PeriodColor", "49152", &R::PeriodColor},
    {Id::FormBack, Color, "FormBack", "4210752", &R::FormBack},
    {Id::LEDSelected, Color, "LEDSelected", "", &R::LEDSelected, SettingDefault::LoadedFormBack},
    {Id::BorderColor, Color, "BorderColor", "16777215", &R::BorderColor},
    {Id::HomeColor, Color, "HomeColor", "16777215", &R::HomeColor},
    {Id::VisitorColor, Color, "VisitorColor", "16777215", &R::VisitorColor},
    {Id::LEDSelectedWidth, Color, "LEDSelectedWidth", "0", &R::LEDSelectedWidth},
    {Id::StartStopClockKey, Keys, "StartStopClockKey", "83", &R::StartStopClockKey},
    {Id::ResetClockKey, Keys, "ResetClockKey", "82", &R::ResetClockKey},
    {Id::ResetShotClockKey, Keys, "ResetShotClockKey", "84", &R::ResetShotClockKey},
    {Id::ClockSwitchKey, Keys, "ClockSwitchKey", "67", &R::ClockSwitchKey},
    {Id::ClearKey, Keys, "ClearKey", "8", &R::ClearKey},
    {Id::BuzzerKey, Keys, "BuzzerKey", "66", &R::BuzzerKey},
    {Id::BuzzerFile, Keys, "BuzzerFile", "buzzer.wav", &R::BuzzerFile, SettingDefault::BesideExecutable},
    {Id::QScoreH1, Quick, "QScoreH1", "45", &R::QScoreH1},
    {Id::QScoreH2, Quick, "QScoreH2", "36", &R::QScoreH2},
    {Id::QScoreH3, Quick, "QScoreH3", "33", &R::QScoreH3},
    {Id::QScoreV1, Quick, "QScoreV1", "46", &R::QScoreV1},
    {Id::QScoreV2, Quick, "QScoreV2", "35", &R::QScoreV2},
    {Id::QScoreV3, Quick, "QScoreV3", "34", &R::QScoreV3},
    {Id::QFoulH1, Quick, "QFoulH1", "122", &R::QFoulH1},
    {Id::QFoulV1, Quick, "QFoulV1", "123", &R::QFoulV1},
    {Id::QPeriod1, Quick, "QPeriod1", "80", &R::QPeriod1},
    {Id::QTOLH1, Quick, "QTOLH1", "118", &R::QTOLH1},
    {Id::QTOLV1, Quick, "QTOLV1", "119", &R::QTOLV1},
    {Id::NumLockForce, Keys, "NumLockForce", "0", &R::NumLockForce},
    {Id::IsKeyCode, Keys, "IsKeyCode", "No", std::monostate{}},
    {Id::TitleText, Text, "TitleText", "Home", &R::TitleText},
    {Id::HomeText, Text, "HomeText", "Home", &R::HomeText},
    {Id::VisitorText, Text, "VisitorText", "Visitor", &R::VisitorText},
    {Id::TeamSize, Text, "TeamSize", "24", &R::TeamSize},
    {Id::HomePic, Pic, "HomePic", "", &R::HomePic},
    {Id::VisitorPic, Pic, "VisitorPic", "", &R::VisitorPic},
    {Id::BoardPic, Pic, "BoardPic", "", &R::BoardPic},
    {Id::LEDType, Pic, "LEDType", "0", &R::LEDType},
    {Id::ShotClockResetTime, Additional, "ShotClockResetTime", "35", &R::ShotClockResetTime},
    {Id::BonusInner, Additional, "BonusInner", "7", &R::BonusInner},
    {Id::BonusOuter, Additional, "BonusOuter", "10", &R::BonusOuter},
    {Id::GamePeriod, Additional, "GamePeriod", "0", &R::GamePeriod},
    // Y sits beside T, the full reset, and no other default uses it.
    {Id::ShortResetKey, Keys, "ShortResetKey", "89", &R::ShortResetKey},
    // The defaults are the board's habits before leagues were known: a file without this
    // section plays as it always did.
    {Id::League, Rules, "League", "Custom", &R::League},
    {Id::PeriodSeconds, Rules, "PeriodSeconds", "600", &R::PeriodSeconds},
    {Id::OvertimeSeconds, Rules, "OvertimeSeconds", "600", &R::OvertimeSeconds},
    {Id::ShortReset, Rules, "ShortReset", "0", &R::ShortReset},
    {Id::FoulsResetEachPeriod, Rules, "FoulsResetEachPeriod", "No", &R::FoulsResetEachPeriod},
    {Id::ShotClockOff, Rules, "ShotClockOff", "No", &R::ShotClockOff},
    {Id::ShotClockFile, Rules, "ShotClockFile", "", &R::ShotClockFile},
    {Id::TimeoutsPerGame, Rules, "TimeoutsPerGame", "0", &R::TimeoutsPerGame},
    {Id::Screen, Audience, "Screen", "", &R::Screen},
    {Id::ScreenModel, Audience, "ScreenModel", "", &R::ScreenModel},
    {Id::ScreenSerial, Audience, "ScreenSerial", "", &R::ScreenSerial},
    {Id::OpenAtStart, Audience, "OpenAtStart", "No", &R::OpenAtStart},
    // An empty token is renewed by the options dialog before the feed is turned on.
    {Id::FeedEnabled, Feed, "Enabled", "No", &R::FeedEnabled},
    {Id::FeedPort, Feed, "Port", "8080", &R::FeedPort},
    {Id::FeedNetwork, Feed, "Network", "No", &R::FeedNetwork},
    {Id::FeedToken, Feed, "Token", "", &R::FeedToken},
}};

constexpr bool tableFollowsIds() {
    for (std::size_t i = 0; i < Table.size(); ++i) {
        if (static_cast<std::size_t>(Table[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(tableFollowsIds(), "settingKey() indexes the table by SettingId");

// The order a save writes the keys in: the options dialog's pages, one after the other, and
// "IsKeyCode" last, since it is what makes the stored main keys count.
constexpr std::array SaveOrder{Id::TimeColor,
                               Id::LEDBack,
                               Id::LEDSelected,
                               Id::ScoreColor,
                               Id::PeriodColor,
                               Id::FormBack,
                               Id::BorderColor,
                               Id::HomeColor,
                               Id::VisitorColor,
                               Id::LEDSelectedWidth,
                               Id::StartStopClockKey,
                               Id::ResetClockKey,
                               Id::ResetShotClockKey,
                               Id::ClockSwitchKey,
                               Id::ClearKey,
                               Id::BuzzerKey,
                               Id::ShortResetKey,
                               Id::QScoreH1,
                               Id::QScoreH2,
                               Id::QScoreH3,
                               Id::QScoreV1,
                               Id::QScoreV2,
                               Id::QScoreV3,
                               Id::QFoulH1,
                               Id::QFoulV1,
                               Id::QPeriod1,
                               Id::QTOLH1,
                               Id::QTOLV1,
                               Id::BuzzerFile,
                               Id::NumLockForce,
                               Id::TitleText,
                               Id::HomeText,
                               Id::VisitorText,
                               Id::TeamSize,
                               Id::HomePic,
                               Id::VisitorPic,
                               Id::BoardPic,
                               Id::LEDType,
                               Id::ShotClockResetTime,
                               Id::BonusInner,
                               Id::BonusOuter,
                               Id::GamePeriod,
                               Id::League,
                               Id::PeriodSeconds,
                               Id::OvertimeSeconds,
                               Id::ShortReset,
                               Id::FoulsResetEachPeriod,
                               Id::ShotClockOff,
                               Id::ShotClockFile,
                               Id::TimeoutsPerGame,
                               Id::Screen,
                               Id::ScreenModel,
                               Id::ScreenSerial,
                               Id::OpenAtStart,
                               Id::FeedEnabled,
                               Id::FeedPort,
                               Id::FeedNetwork,
                               Id::FeedToken,
                               Id::IsKeyCode};

constexpr bool saveWritesEveryKeyOnce() {
    std::array<int, Table.size()> seen{};
    for (Id id : SaveOrder) {
        ++seen[static_cast<std::size_t>(id)];
    }
    for (int count : seen) {
        if (count != 1) {
            return false;
        }
    }
    return SaveOrder.size() == Table.size();
}
static_assert(saveWritesEveryKeyOnce(), "a save writes every key of the table exactly once");

constexpr std::array MainKeys{Id::StartStopClockKey, Id::ResetClockKey, Id::ResetShotClockKey,
                              Id::ClockSwitchKey,    Id::ClearKey,      Id::BuzzerKey};
// The quick keys that go back to their defaults with the main keys when QScoreH1 is
// missing; QPeriod1, QTOLH1 and QTOLV1 keep what was stored.
constexpr std::array ScoreAndFoulKeys{Id::QScoreH1, Id::QScoreH2, Id::QScoreH3, Id::QScoreV1,
                                      Id::QScoreV2, Id::QScoreV3, Id::QFoulH1,  Id::QFoulV1};

QString latin1(const char* text) {
    return QLatin1StringView(text);
}

// Exactly "Yes" or "No"; anything else is not a yes/no.
std::optional<bool> storedYesNo(QStringView text) {
    if (text == u"Yes") {
        return true;
    }
    if (text == u"No") {
        return false;
    }
    return std::nullopt;
}

template <typename Int> std::optional<Int> storedInteger(QStringView text) {
    const std::optional<std::int64_t> value = parseStoredNumber(text);
    if (!value || !std::in_range<Int>(*value)) {
        return std::nullopt;
    }
    return static_cast<Int>(*value);
}

// Stores a text in the field. A text that is not a number, or does not fit the field,
// counts as absent: the field takes the default of that read.
void assign(SettingsRecord& record, const SettingField& field, const QString& text, const QString& fallback) {
    std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, std::monostate>) {
                return;
            } else {
                auto& target = record.*member;
                using Value = std::remove_reference_t<decltype(target)>;
                if constexpr (std::is_same_v<Value, QString>) {
                    target = text;
                } else if constexpr (std::is_same_v<Value, Currency>) {
                    target =
                        Currency::fromText(text).value_or(Currency::fromText(fallback).value_or(Currency()));
                } else if constexpr (std::is_same_v<Value, bool>) {
                    target = storedYesNo(text).value_or(storedYesNo(fallback).value_or(false));
                } else {
                    target = storedInteger<Value>(text).value_or(storedInteger<Value>(fallback).value_or(0));
                }
            }
        },
        field);
}

class Loader {
public:
    Loader(const SettingsStore& store, SettingsRecord& record, const QString& executableDir)
        : m_store(store), m_record(record), m_executableDir(executableDir) {}

    QString readText(Id id, const QString& defaultText) const {
        const SettingKey& key = settingKey(id);
        return m_store.read(latin1(SettingsApplication), latin1(key.section), latin1(key.key), defaultText);
    }

    void load(Id id) {
        const SettingKey& key = settingKey(id);
        const QString fallback = settingDefaultText(key, m_record, m_executableDir);
        assign(m_record, key.field, readText(id, fallback), fallback);
    }

    template <std::size_t N> void loadAll(const std::array<Id, N>& ids) {
        for (Id id : ids) {
            load(id);
        }
    }
    void loadRange(Id first, Id last) {
        for (auto i = static_cast<int>(first); i <= static_cast<int>(last); ++i) {
            load(static_cast<Id>(i));
        }
    }

    template <std::size_t N> void restoreDefaults(const std::array<Id, N>& ids) {
        for (Id id : ids) {
            const SettingKey& key = settingKey(id);
            const QString fallback = settingDefaultText(key, m_record, m_executableDir);
            assign(m_record, key.field, fallback, fallback);
        }
    }

private:
    const SettingsStore& m_store;
    SettingsRecord& m_record;
    const QString& m_executableDir;
};

} // namespace

std::span<const SettingKey> settingKeys() {
    return Table;
}

const SettingKey& settingKey(SettingId id) {
    return Table[static_cast<std::size_t>(id)];
}

std::int64_t settingDefaultNumber(SettingId id) {
    return parseStoredNumber(QString::fromLatin1(settingKey(id).defaultText)).value_or(0);
}

QString settingDefaultText(const SettingKey& key, const SettingsRecord& loadedSoFar,
                           const QString& executableDir) {
    switch (key.defaultKind) {
    case SettingDefault::LoadedFormBack:
        return QString::number(loadedSoFar.FormBack);
    case SettingDefault::BesideExecutable:
        // Joined as they are: a folder that already ends in a separator gets a second one.
        return QDir::toNativeSeparators(executableDir) + QDir::separator() + latin1(key.defaultText);
    case SettingDefault::Fixed:
        break;
    }
    return latin1(key.defaultText);
}

QString storedText(const SettingsRecord& record, const SettingKey& key) {
    return std::visit(
        [&](auto member) -> QString {
            if constexpr (std::is_same_v<decltype(member), std::monostate>) {
                return {};
            } else {
                const auto& value = record.*member;
                using Value = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<Value, QString>) {
                    return value;
                } else if constexpr (std::is_same_v<Value, Currency>) {
                    return value.toText();
                } else if constexpr (std::is_same_v<Value, bool>) {
                    return value ? QStringLiteral("Yes") : QStringLiteral("No");
                } else {
                    return QString::number(value);
                }
            }
        },
        key.field);
}

std::optional<std::int64_t> parseStoredNumber(QStringView text) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const auto isDigit = [&](qsizetype at) {
        return at < text.size() && text[at] >= u'0' && text[at] <= u'9';
    };

    // The magnitude; once it is out of range the rest is still checked, so that the
    // answer is "not a number" for any text beyond the range, in one pass.
    constexpr std::uint64_t Max = std::numeric_limits<std::int64_t>::max();
    std::uint64_t magnitude = 0;
    bool outOfRange = false;
    int digits = 0;
    for (; isDigit(i); ++i, ++digits) {
        const auto digit = static_cast<std::uint64_t>(text[i].unicode() - u'0');
        if (!outOfRange && magnitude > (Max - digit) / 10) {
            outOfRange = true;
        }
        if (!outOfRange) {
            magnitude = magnitude * 10 + digit;
        }
    }

    int firstDecimal = 0;
    bool beyondHalf = false; // a non-zero decimal after the first
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (isDigit(i)) {
            firstDecimal = text[i].unicode() - u'0';
            ++i;
            ++digits;
        }
        for (; isDigit(i); ++i) {
            beyondHalf = beyondHalf || text[i] != u'0';
        }
    }
    if (i != text.size() || digits == 0 || outOfRange) {
        return std::nullopt;
    }

    const bool roundUp = firstDecimal > 5 || (firstDecimal == 5 && (beyondHalf || (magnitude % 2) != 0));
    if (roundUp) {
        if (magnitude == Max) {
            return std::nullopt;
        }
        ++magnitude;
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return negative ? -value : value;
}

void LoadSettings() {
    SettingsRecord loaded;
    LoadSettings(settingsStore(), loaded, QCoreApplication::applicationDirPath());
    CommitSettings(loaded);
}

void LoadSettings(const SettingsStore& store, SettingsRecord& into, const QString& executableDir) {
    // One open of the store for all the reads below; the file may be large.
    const SettingsStore::Session session(store, latin1(SettingsApplication));
    Loader loader(store, into, executableDir);

    // 1. Colours; LEDSelected defaults to the FormBack just loaded, so it is read after it.
    loader.loadRange(Id::TimeColor, Id::LEDSelectedWidth);
    // 2.-4. Main keys, the buzzer file, quick keys.
    loader.loadRange(Id::StartStopClockKey, Id::QTOLV1);

    // 5. QScoreH1 read again, now defaulting to 0: missing or 0 (or unreadable, which counts
    // as missing) sends the main keys and the score and foul quick keys back to their
    // defaults. QPeriod1, QTOLH1 and QTOLV1 keep what was read.
    const QString scoreH1Text = loader.readText(Id::QScoreH1, QStringLiteral("0"));
    if (storedInteger<std::int16_t>(scoreH1Text).value_or(0) == 0) {
        loader.restoreDefaults(MainKeys);
        loader.restoreDefaults(ScoreAndFoulKeys);
    }

    // 6. NumLock.
    loader.load(Id::NumLockForce);

    // 7. Main keys only count once the options dialog has confirmed them as key codes;
    // exactly "No" (which is also what an absent key reads as) means it has not.
    if (loader.readText(Id::IsKeyCode, latin1(settingKey(Id::IsKeyCode).defaultText)) == u"No") {
        loader.restoreDefaults(MainKeys);
    }

    // 8.-10. Texts and team-name size, pictures and digit style, additional settings.
    loader.loadRange(Id::TitleText, Id::GamePeriod);

    // 11. The short-reset key and the league rules, with figures the board cannot use sent
    // back to their defaults.
    loader.loadRange(Id::ShortResetKey, Id::TimeoutsPerGame);
    for (Id id : leagues::unusable(into)) {
        loader.restoreDefaults(std::array{id});
    }

    // 12. The audience's screen.
    loader.loadRange(Id::Screen, Id::OpenAtStart);

    // 13. The live feed.
    loader.loadRange(Id::FeedEnabled, Id::FeedToken);
}

bool audienceOpensAtStart(const SettingsRecord& record) {
    return record.OpenAtStart == u"Yes";
}

bool SaveSettings(SettingsStore& store, const SettingsRecord& record) {
    const QString application = latin1(SettingsApplication);
    SettingsStore::Session session(store, application);
    if (!session.isOpen()) {
        return false;
    }
    bool written = true;
    for (Id id : SaveOrder) {
        const SettingKey& key = settingKey(id);
        const QString text = id == Id::IsKeyCode ? QStringLiteral("Yes") : storedText(record, key);
        written = store.write(application, latin1(key.section), latin1(key.key), text) && written;
    }
    return session.end() && written;
}

QString newFeedToken() {
    const quint64 high = QRandomGenerator::system()->generate64();
    const quint64 low = QRandomGenerator::system()->generate64();
    return QStringLiteral("%1%2").arg(high, 16, 16, QLatin1Char('0')).arg(low, 16, 16, QLatin1Char('0'));
}

SettingsRecord DefaultSettings(const QString& executableDir) {
    // In table order, so that LEDSelected finds FormBack already in place.
    SettingsRecord record;
    for (const SettingKey& key : Table) {
        const QString text = settingDefaultText(key, record, executableDir);
        assign(record, key.field, text, text);
    }
    return record;
}
