#pragma once

#include <QString>
#include <cstdint>

class DigitPanel;

// Typed entry into the number read-outs, and the change texts the quick keys use.
namespace modShowDigits {

// The character that marks "clear the field" in a change text.
inline constexpr QChar ClearMark = QChar(0);

// Applies a change text to a read-out: "+n"/"-n" add or subtract, digits set, the
// clear mark blanks it. The result is written only when it lies within min..max;
// otherwise nothing changes (no clamping, no wrap-around).
void ApplyEntry(DigitPanel& field, const QString& change, int minimum, int maximum);

// The whole number at the start of a text, as an ordinary decimal reading takes it:
// optional sign, then digits. 0 when there is none. Saturates far beyond any field's
// range, so an endless string of digits can never wrap into range.
std::int64_t LeadingNumber(QStringView text);

// What the operator has typed and not yet applied. Typing into another field
// discards it.
class TypedEntry {
public:
    // c: a character code from keycodes::typedCharacter (digit, '+', '-', Space, Enter, 0 clear).
    void TypeDigit(DigitPanel& field, int c, int minimum, int maximum);

    const QString& entryText() const { return EntryText; }
    const QString& entryField() const { return EntryField; }

private:
    QString EntryText;
    QString EntryField;
};

} // namespace modShowDigits
