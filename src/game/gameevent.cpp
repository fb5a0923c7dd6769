#include "game/gameevent.h"

#include <array>

namespace {

constexpr std::array<const char*, GameFieldCount> FieldNames{
    "scoreHome",    "scoreVisitor", "foulsHome",        "foulsVisitor",   "timeoutsHome", "timeoutsVisitor",
    "playerFoul",   "playerFouls",  "period",           "possession",     "gameClock",    "shotClock",
    "clockRunning", "clockDisplay", "shotClockRunning", "gameClockReset",
};

constexpr std::array CauseNames{
    "quickKey",        "typedEntry", "clearKey", "clockCommand", "clockRunOut",
    "possessionClick", "restore",    "undo",     "redo",         "newGame",
};
static_assert(CauseNames.size() == std::size_t(GameCause::NewGame) + 1, "a name for every cause");

} // namespace

QString fieldName(GameField field) {
    return QString::fromLatin1(FieldNames.at(std::size_t(field)));
}

QString causeName(GameCause cause) {
    return QString::fromLatin1(CauseNames.at(std::size_t(cause)));
}

std::optional<GameField> fieldFromName(QStringView name) {
    for (std::size_t i = 0; i < FieldNames.size(); ++i) {
        if (name == QLatin1StringView(FieldNames[i])) {
            return GameField(i);
        }
    }
    return std::nullopt;
}
