#pragma once

// TEMPORARY: stands in for game/gameevent.h until the game model is merged; removed then, and
// every include of it becomes "game/gameevent.h". Only the names the record uses are here.

#include <QMetaType>
#include <QString>

enum class GameField : quint8 {
    ScoreHome,
    ScoreVisitor,
    FoulsHome,
    FoulsVisitor,
    TimeoutsHome,
    TimeoutsVisitor,
    PlayerFoul,
    PlayerFouls,
    Period,
    Possession,
    GameClock,
    ShotClock,
    ClockRunning,
    ClockDisplay,
};

enum class GameCause : quint8 {
    QuickKey,
    TypedEntry,
    ClearKey,
    ClockCommand,
    ClockRunOut,
    PossessionClick,
    Restore,
    Undo,
    Redo,
    NewGame,
};

struct GameEvent {
    GameField field;
    qint64 oldValue;
    qint64 newValue;
    GameCause cause;
};
Q_DECLARE_METATYPE(GameEvent)

inline QString fieldName(GameField field) {
    static const char* const names[] = {"scoreHome",    "scoreVisitor",    "foulsHome",  "foulsVisitor",
                                        "timeoutsHome", "timeoutsVisitor", "playerFoul", "playerFouls",
                                        "period",       "possession",      "gameClock",  "shotClock",
                                        "clockRunning", "clockDisplay"};
    return QString::fromLatin1(names[static_cast<int>(field)]);
}

inline QString causeName(GameCause cause) {
    static const char* const names[] = {"quickKey",    "typedEntry",      "clearKey", "clockCommand",
                                        "clockRunOut", "possessionClick", "restore",  "undo",
                                        "redo",        "newGame"};
    return QString::fromLatin1(names[static_cast<int>(cause)]);
}
