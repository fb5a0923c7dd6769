#include "scoreboard/showdigits.h"

#include "game/game.h"

namespace modShowDigits {

void TypedEntry::TypeDigit(Game& game, GameField field, int c, int minimum, int maximum) {
    if (int(field) != EntryField) {
        EntryText.clear();
        EntryField = int(field);
    }
    if (c >= '0' && c <= '9') {
        EntryText += QChar(c);
    }
    if (c == '+' || c == '-') {
        EntryText += QChar(c);
    }
    if (c == ' ') {
        EntryText.clear();
    }
    const auto apply = [&](QStringView change, GameCause cause) {
        game.applyEntry(field, change, minimum, maximum, cause);
    };
    if (c == 0) {
        // The clear key blanks the field but keeps what was typed.
        apply(QStringView(&ClearMark, 1), GameCause::ClearKey);
    }
    const auto startsWithSign = [this] {
        return !EntryText.isEmpty() && (EntryText.front() == u'+' || EntryText.front() == u'-');
    };
    // A field whose largest value has one digit takes each digit at once.
    if (QString::number(maximum).size() == 1 && !startsWithSign()) {
        apply(EntryText, GameCause::TypedEntry);
        EntryText.clear();
    }
    // A sign followed by one digit acts at once, on every field.
    if (EntryText.size() >= 2 && startsWithSign() && EntryText[1] >= u'0' && EntryText[1] <= u'9') {
        apply(EntryText, GameCause::TypedEntry);
        EntryText.clear();
    }
    if (c == '\r') {
        apply(EntryText, GameCause::TypedEntry);
        EntryText.clear();
    }
}

} // namespace modShowDigits
