#pragma once

#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <optional>

// Every value of one game, by name. Records, feeds and restores name them by fieldName(), so
// the order below may grow at the end but never change.
enum class GameField : quint8 {
    ScoreHome,
    ScoreVisitor,
    FoulsHome, // team fouls
    FoulsVisitor,
    TimeoutsHome, // timeouts left
    TimeoutsVisitor,
    PlayerFoul,  // the player's number in the player-foul pair
    PlayerFouls, // that player's fouls
    Period,
    Possession,       // 0 none, 1 home, 2 visitor
    GameClock,        // time left, in ten-thousandths of a second
    ShotClock,        // the same; -1 while the shot clock is blanked
    ClockRunning,     // the game clock: 0 stopped, 1 running
    ClockDisplay,     // the game-clock read-out: 0 game time, 1 time of day
    ShotClockRunning, // 0 stopped, 1 running
    GameClockReset,   // what the reset key puts the game clock back to, in ten-thousandths
};
inline constexpr int GameFieldCount = int(GameField::GameClockReset) + 1;

// What made a value change.
enum class GameCause : quint8 {
    QuickKey,
    TypedEntry,
    ClearKey,
    ClockCommand,
    ClockRunOut,
    PossessionClick, // a click on an arrow, or the arrow keys that do the same
    Restore,
    Undo,
    Redo,
    NewGame,
};

// One change of one value, sent after the value has been set.
struct GameEvent {
    GameField field;
    qint64 oldValue; // -1: cleared (a blank read-out)
    qint64 newValue;
    GameCause cause;

    bool operator==(const GameEvent&) const = default;
};
Q_DECLARE_METATYPE(GameEvent)

// Stable English identifiers, as files and feeds write them: "scoreHome", "quickKey".
QString fieldName(GameField field);
QString causeName(GameCause cause);
// The field a name stands for; nullopt for a name that is none.
std::optional<GameField> fieldFromName(QStringView name);
