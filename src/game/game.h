#pragma once

#include "components/currency.h"
#include "game/gameclock.h"
#include "game/gameevent.h"
#include "settings/settings.h"

#include <QList>
#include <QObject>
#include <QStringView>
#include <array>
#include <span>

class MonotonicClock;

enum class Side : quint8 { Home, Visitor };

// Who has the ball, as the two arrows show it.
enum class Possession { None = 0, Home = 1, Visitor = 2 };

// One field's value, as a snapshot holds it.
struct GameValue {
    GameField field;
    qint64 value;

    bool operator==(const GameValue&) const = default;
};
using GameSnapshot = QList<GameValue>;

// Every value of one game, and the rules that change them. The board, and any other view,
// shows what it holds and hears of every change through changed(): one event per value that
// changed, after it is set, and none for a value set to what it already was. The clocks'
// ticking is no event; views read the engines on their own refresh.
class Game : public QObject {
    Q_OBJECT

public:
    // `settings` is read, never written, and must outlive the game.
    explicit Game(const SettingsRecord& settings, const MonotonicClock& clock, QObject* parent = nullptr);

    // The current value; the clocks' times are their values now.
    qint64 value(GameField field) const;
    // Sets one value. A value the field cannot hold (a number beyond 16 bits, possession
    // other than 0, 1, 2) is refused: nothing changes and false is returned.
    bool setValue(GameField field, qint64 value, GameCause cause);

    // Every value, in field order; restore() sets them all, one event per value that differs.
    GameSnapshot snapshot() const;
    void restore(const GameSnapshot& values, GameCause cause = GameCause::Restore);

    GameClock& clocks() { return *m_clocks; }
    const GameClock& clocks() const { return *m_clocks; }
    const SettingsRecord& settings() const { return m_settings; }

    // A side's two bonus lights (0 inner, 1 outer) show the other team's fouls against the
    // thresholds in the settings; a cleared foul count is -1 here, not 0.
    bool bonusLight(Side side, int index) const;
    bool shotClockBlank() const { return m_shotClockBlank; }

    // ---- The operator's changes ----

    // Applies a change text to a number field: "+n" and "-n" add and subtract (a cleared
    // field counts as 0), digits set, the clear mark clears. A result outside
    // minimum..maximum changes nothing. Returns whether the text made a valid value.
    bool applyEntry(GameField field, QStringView change, int minimum, int maximum, GameCause cause);
    // The largest value typing may give a number field; -1 for a field that is no number.
    static int typedMaximum(GameField field);
    // The quick key bound to `keyCode` in the settings, if there is one; true when it was one.
    bool quickKey(int keyCode);
    void togglePossession(Side side);
    void clearPossession();

    // Clock commands.
    void startStop();
    void resetGameClock();
    void resetShotClock();
    // The league's short reset (14 or 20 seconds); nothing in a league without one.
    void shortResetShotClock();
    // After the settings changed: a new period length or number of timeouts reaches the reset
    // time, a clock standing at the old length and timeouts still at the old number; whatever the
    // operator has changed since stays.
    void followRules();
    void switchClockDisplay();
    // Typed times: a game time also becomes the reset time; each stops the shot clock. A typed
    // shot time on a blanked shot clock runs unseen.
    void enterGameTime(Currency seconds);
    void enterShotTime(Currency seconds);
    // Blanks the shot clock; its engine goes to zero and keeps its running state.
    void clearShotClock();

    // The run-out rules, applied to the times a refresh read (see GameClock::checkRunOut).
    void checkRunOut(Currency game, Currency shot);

signals:
    void changed(const GameEvent& event);
    // After the last event of one command: the values that changed together are all announced.
    // A view that must keep them together (the record writes them in one transaction) waits for it.
    void settled();
    // A run-out's horns: the buzzer, and the shot clock's own horn when one is chosen. Without
    // one the shot clock sounds the buzzer, once however many clocks ran out.
    void hornsDue(bool buzzer, bool shotClockHorn);
    // A clock has run out: the horn should sound.
    void runOut();

private:
    // Runs `change`, then announces each of `fields` whose value it changed.
    template <typename Change>
    void changing(std::span<const GameField> fields, GameCause cause, Change change);
    bool store(GameField field, qint64 value);
    // P: the period, and what the league does between periods.
    void nextPeriod();
    void resetShotClockTo(int seconds);

    const SettingsRecord& m_settings;
    GameClock* m_clocks;
    std::array<qint64, GameFieldCount> m_values{};
    // Commands run inside commands (a listener may change the game again): `settled` follows the
    // outermost one only.
    int m_commandDepth = 0;
    bool m_announced = false;
    bool m_shotClockBlank = false;
    // The league's figures the game last took.
    Currency m_rulePeriodLength;
    qint64 m_ruleTimeouts = 0;
};
