#pragma once

#include "components/currency.h"

#include <QString>
#include <optional>

// Times typed into the two clock fields.
namespace modCount {

// Reads minutes, or minutes "." seconds with an optional digit of tenths: "12" is
// 720 s, "0.245" is 24.5 s, "1.75" is 135 s. nullopt when the text is no valid time.
std::optional<Currency> ParseTimeEntry(QStringView text);

// The text typed so far into a clock field; the two clock fields share it, so moving
// to the other one discards what was typed.
class TimeEntry {
public:
    // ch: a character code from keycodes::typedCharacter. Returns the accepted time when Enter
    // confirms a valid time no larger than maximumSeconds.
    std::optional<Currency> EnterTimeChar(const QString& fieldName, int ch, std::int32_t maximumSeconds);

    const QString& text() const { return TimeEntryText; }

private:
    QString TimeEntryText;
    QString TimeEntryOwner;
};

} // namespace modCount
