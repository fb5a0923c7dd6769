#include "record/recordtypes.h"

namespace {

template <typename Enum> std::optional<Enum> byName(const QString& name, QString (*nameOf)(Enum), int count) {
    for (int i = 0; i < count; ++i) {
        const auto value = static_cast<Enum>(i);
        if (nameOf(value) == name) {
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<GameCause> causeFromName(const QString& name) {
    return byName<GameCause>(name, &causeName, static_cast<int>(GameCause::NewGame) + 1);
}
