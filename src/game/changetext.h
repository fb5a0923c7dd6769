#pragma once

#include <QChar>
#include <QStringView>
#include <cstdint>
#include <optional>

// Change texts: what typed entry and the quick keys apply to a number ("+1", "-1", "12", or the
// clear mark).
namespace modShowDigits {

// The character that marks "clear the field" in a change text.
inline constexpr QChar ClearMark = QChar(0);

// The whole number at the start of a text, as an ordinary decimal reading takes it:
// optional sign, then digits. 0 when there is none. Saturates far beyond any field's
// range, so an endless string of digits can never wrap into range.
std::int64_t LeadingNumber(QStringView text);

// What a change text makes of a value (-1 for the clear mark): "+n"/"-n" add or subtract,
// digits set. nullopt for a text that is no change (empty, or starting with anything else).
std::optional<std::int64_t> ApplyChange(std::int64_t current, QStringView change);

} // namespace modShowDigits
