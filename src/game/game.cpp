#include "game/game.h"

#include "game/changetext.h"
#include "game/gamelog.h"
#include "settings/leagues.h"

#include <limits>
#include <utility>

Q_LOGGING_CATEGORY(lcGame, "ravenmark.game")

namespace {

using F = GameField;

// How far the operator may take each number: typing stops at what the field's digits are
// made for; a team-foul quick key counts on beyond that, to 99.
struct NumberLimits {
    GameField field;
    int typedMaximum;
    int quickMaximum;
};
constexpr std::array<NumberLimits, 9> Numbers{{
    {F::ScoreHome, 199, 199},
    {F::ScoreVisitor, 199, 199},
    {F::FoulsHome, 19, 99},
    {F::FoulsVisitor, 19, 99},
    {F::TimeoutsHome, 9, 9},
    {F::TimeoutsVisitor, 9, 9},
    {F::PlayerFoul, 99, 99},
    {F::PlayerFouls, 9, 9},
    {F::Period, 9, 9},
}};

const NumberLimits* limits(GameField field) {
    for (const NumberLimits& n : Numbers) {
        if (n.field == field) {
            return &n;
        }
    }
    return nullptr;
}

// The quick keys: which setting holds the key, which number it changes, and how.
struct QuickKey {
    std::int16_t SettingsRecord::*key;
    GameField field;
    const char16_t* change;
};
constexpr std::array<QuickKey, 11> QuickKeys{{
    {&SettingsRecord::QScoreH1, F::ScoreHome, u"+1"},
    {&SettingsRecord::QScoreH2, F::ScoreHome, u"+2"},
    {&SettingsRecord::QScoreH3, F::ScoreHome, u"+3"},
    {&SettingsRecord::QScoreV1, F::ScoreVisitor, u"+1"},
    {&SettingsRecord::QScoreV2, F::ScoreVisitor, u"+2"},
    {&SettingsRecord::QScoreV3, F::ScoreVisitor, u"+3"},
    {&SettingsRecord::QFoulH1, F::FoulsHome, u"+1"},
    {&SettingsRecord::QFoulV1, F::FoulsVisitor, u"+1"},
    {&SettingsRecord::QPeriod1, F::Period, u"+1"},
    {&SettingsRecord::QTOLH1, F::TimeoutsHome, u"-1"},
    {&SettingsRecord::QTOLV1, F::TimeoutsVisitor, u"-1"},
}};

bool fitsInt16(qint64 value) {
    return value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max();
}

} // namespace

Game::Game(const SettingsRecord& settings, const MonotonicClock& clock, QObject* parent)
    : QObject(parent), m_settings(settings), m_clocks(new GameClock(clock, this)) {
    m_values[std::size_t(F::Period)] = 1;
    m_ruleTimeouts = m_settings.TimeoutsPerGame;
    m_values[std::size_t(F::TimeoutsHome)] = m_ruleTimeouts;
    m_values[std::size_t(F::TimeoutsVisitor)] = m_ruleTimeouts;
    m_rulePeriodLength = leagues::periodLength(m_settings, 1);
    m_clocks->setResetTime(m_rulePeriodLength);
    m_clocks->game().setSeconds(m_clocks->resetTime());
    connect(m_clocks, &GameClock::runOut, this, &Game::runOut);
    connect(m_clocks, &GameClock::ranOut, this, [this](bool gameClock, bool shotClock) {
        const bool ownHorn = !m_settings.ShotClockFile.isEmpty();
        emit hornsDue(gameClock || (shotClock && !ownHorn), shotClock && ownHorn);
    });
}

int Game::typedMaximum(GameField field) {
    const NumberLimits* n = limits(field);
    return n ? n->typedMaximum : -1;
}

qint64 Game::value(GameField field) const {
    switch (field) {
    case F::GameClock:
        return m_clocks->game().seconds().units();
    case F::ShotClock:
        return m_shotClockBlank ? -1 : m_clocks->shot().seconds().units();
    case F::ClockRunning:
        return m_clocks->game().running() ? 1 : 0;
    case F::ShotClockRunning:
        return m_clocks->shot().running() ? 1 : 0;
    case F::GameClockReset:
        return m_clocks->resetTime().units();
    default:
        return m_values.at(std::size_t(field));
    }
}

bool Game::store(GameField field, qint64 value) {
    switch (field) {
    case F::GameClock:
        m_clocks->game().setSeconds(Currency::fromUnits(value));
        return true;
    case F::ShotClock:
        // A blanked shot clock shows nothing and sounds nothing; its engine starts again from zero.
        m_shotClockBlank = value == -1;
        m_clocks->shot().setSeconds(Currency::fromUnits(m_shotClockBlank ? 0 : value));
        return true;
    case F::GameClockReset:
        m_clocks->setResetTime(Currency::fromUnits(value));
        return true;
    case F::ClockRunning:
    case F::ShotClockRunning:
    case F::ClockDisplay:
        if (value != 0 && value != 1) {
            break;
        }
        if (field == F::ClockRunning) {
            m_clocks->game().setRunning(value == 1);
        } else if (field == F::ShotClockRunning) {
            m_clocks->shot().setRunning(value == 1);
        } else {
            m_values[std::size_t(field)] = value;
        }
        return true;
    case F::Possession:
        if (value < 0 || value > 2) {
            break;
        }
        m_values[std::size_t(field)] = value;
        return true;
    default:
        if (!fitsInt16(value)) {
            break;
        }
        m_values.at(std::size_t(field)) = value;
        return true;
    }
    qCWarning(lcGame).noquote() << "refused" << fieldName(field) << value;
    return false;
}

template <typename Change>
void Game::changing(std::span<const GameField> fields, GameCause cause, Change change) {
    std::array<qint64, GameFieldCount> before{};
    for (GameField f : fields) {
        before[std::size_t(f)] = value(f);
    }
    ++m_commandDepth;
    change();
    // Every value is in place before the first listener hears of any.
    for (GameField f : fields) {
        const qint64 now = value(f);
        if (now != before[std::size_t(f)]) {
            m_announced = true;
            emit changed(GameEvent{f, before[std::size_t(f)], now, cause});
        }
    }
    if (--m_commandDepth == 0 && std::exchange(m_announced, false)) {
        emit settled();
    }
}

bool Game::setValue(GameField field, qint64 value, GameCause cause) {
    bool stored = false;
    changing(std::array{field}, cause, [&] { stored = store(field, value); });
    return stored;
}

GameSnapshot Game::snapshot() const {
    GameSnapshot values;
    values.reserve(GameFieldCount);
    for (int i = 0; i < GameFieldCount; ++i) {
        values.append({GameField(i), value(GameField(i))});
    }
    return values;
}

void Game::restore(const GameSnapshot& values, GameCause cause) {
    QList<GameField> fields;
    fields.reserve(values.size());
    for (const GameValue& v : values) {
        fields.append(v.field);
    }
    changing(fields, cause, [&] {
        for (const GameValue& v : values) {
            store(v.field, v.value);
        }
    });
}

bool Game::bonusLight(Side side, int index) const {
    const qint64 fouls = value(side == Side::Home ? F::FoulsVisitor : F::FoulsHome);
    return fouls >= (index == 0 ? m_settings.BonusInner : m_settings.BonusOuter);
}

// ---------------------------------------------------------------- the operator's changes

bool Game::applyEntry(GameField field, QStringView change, int minimum, int maximum, GameCause cause) {
    if (limits(field) == nullptr) {
        return false;
    }
    const qint64 current = value(field);
    const std::optional<std::int64_t> next = modShowDigits::ApplyChange(current == -1 ? 0 : current, change);
    if (!next || *next < minimum || *next > maximum) {
        return false;
    }
    return setValue(field, *next, cause);
}

bool Game::quickKey(int keyCode) {
    for (const QuickKey& quick : QuickKeys) {
        if (keyCode != m_settings.*quick.key) {
            continue;
        }
        if (quick.field == F::Period) {
            nextPeriod();
        } else {
            applyEntry(quick.field, quick.change, -1, limits(quick.field)->quickMaximum, GameCause::QuickKey);
        }
        return true;
    }
    return false;
}

void Game::nextPeriod() {
    const qint64 before = value(F::Period);
    const qint64 next = (before == -1 ? 0 : before) + 1;
    if (next > limits(F::Period)->quickMaximum) {
        return;
    }
    // The period moves on with what the league does between periods: team fouls back to 0, and
    // past the regular periods the overtime length for the reset key.
    changing(std::array{F::Period, F::FoulsHome, F::FoulsVisitor, F::GameClockReset}, GameCause::QuickKey,
             [&] {
                 store(F::Period, next);
                 if (leagues::foulsResetEntering(m_settings, int(next))) {
                     store(F::FoulsHome, 0);
                     store(F::FoulsVisitor, 0);
                 }
                 const Currency length = leagues::periodLength(m_settings, int(next));
                 if (length != m_rulePeriodLength) {
                     m_clocks->setResetTime(length);
                     m_rulePeriodLength = length;
                 }
             });
}

void Game::followRules() {
    const Currency length = leagues::periodLength(m_settings, int(value(F::Period)));
    if (length != std::exchange(m_rulePeriodLength, length)) {
        const Currency old = m_clocks->resetTime();
        const ClockEngine& clock = m_clocks->game();
        if (!clock.running() && clock.seconds() == old) {
            setValue(F::GameClock, length.units(), GameCause::Rules);
        }
        setValue(F::GameClockReset, length.units(), GameCause::Rules);
    }
    const qint64 timeouts = m_settings.TimeoutsPerGame;
    const qint64 oldTimeouts = std::exchange(m_ruleTimeouts, timeouts);
    for (GameField side : {F::TimeoutsHome, F::TimeoutsVisitor}) {
        if (value(side) == oldTimeouts) {
            setValue(side, timeouts, GameCause::Rules);
        }
    }
}

void Game::togglePossession(Side side) {
    const qint64 who = side == Side::Home ? qint64(Possession::Home) : qint64(Possession::Visitor);
    setValue(F::Possession, value(F::Possession) != who ? who : qint64(Possession::None),
             GameCause::PossessionClick);
}

void Game::clearPossession() {
    setValue(F::Possession, qint64(Possession::None), GameCause::PossessionClick);
}

void Game::startStop() {
    changing(std::array{F::ClockRunning, F::ShotClockRunning}, GameCause::ClockCommand,
             [this] { m_clocks->startStop(); });
}

void Game::resetGameClock() {
    changing(std::array{F::GameClock, F::ClockRunning, F::ShotClockRunning}, GameCause::ClockCommand,
             [this] { m_clocks->resetGame(); });
}

void Game::resetShotClock() {
    resetShotClockTo(m_settings.ShotClockResetTime);
}

void Game::shortResetShotClock() {
    if (m_settings.ShortReset > 0) {
        resetShotClockTo(m_settings.ShortReset);
    }
}

void Game::resetShotClockTo(int seconds) {
    changing(std::array{F::ShotClock, F::ShotClockRunning}, GameCause::ClockCommand, [&] {
        const Currency to = Currency::fromInt(seconds);
        // A shot clock that is off for the rest of the period comes back only while the game
        // clock has more time than the reset gives.
        if (!m_settings.ShotClockOff || m_clocks->game().seconds() > to) {
            m_shotClockBlank = false;
        }
        m_clocks->resetShot(to);
    });
}

void Game::switchClockDisplay() {
    setValue(F::ClockDisplay, value(F::ClockDisplay) == 0 ? 1 : 0, GameCause::ClockCommand);
}

void Game::enterGameTime(Currency seconds) {
    // The game clock keeps running or standing as it was; the shot clock stops.
    changing(std::array{F::GameClock, F::ShotClockRunning, F::GameClockReset}, GameCause::TypedEntry, [&] {
        m_clocks->game().setSeconds(seconds);
        m_clocks->shot().setRunning(false);
        m_clocks->setResetTime(seconds);
    });
}

void Game::enterShotTime(Currency seconds) {
    changing(std::array{F::ShotClock, F::ShotClockRunning}, GameCause::TypedEntry, [&] {
        m_clocks->shot().setSeconds(seconds);
        m_clocks->shot().setRunning(false);
    });
}

void Game::clearShotClock() {
    setValue(F::ShotClock, -1, GameCause::ClearKey);
}

void Game::checkRunOut(Currency game, Currency shot) {
    // The rule books turn the shot clock off while the game clock shows less time than it: blank,
    // and silent when it reaches zero.
    if (m_settings.ShotClockOff && !m_shotClockBlank && game < shot) {
        setValue(F::ShotClock, -1, GameCause::ClockRunOut);
    }
    changing(std::array{F::ClockRunning, F::ShotClockRunning}, GameCause::ClockRunOut,
             [&] { m_clocks->checkRunOut(game, shot, m_shotClockBlank); });
}
