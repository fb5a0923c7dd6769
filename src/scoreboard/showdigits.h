#pragma once

#include "game/changetext.h"
#include "game/gameevent.h"

#include <QString>

class Game;

// Typed entry into the number read-outs: what the operator types is collected here and
// applied to the game.
namespace modShowDigits {

// What the operator has typed and not yet applied. Typing into another field
// discards it.
class TypedEntry {
public:
    // c: a character code from keycodes::typedCharacter (digit, '+', '-', Space, Enter, 0 clear).
    void TypeDigit(Game& game, GameField field, int c, int minimum, int maximum);

    const QString& entryText() const { return EntryText; }

private:
    QString EntryText;
    int EntryField = -1; // the field EntryText belongs to; none yet
};

} // namespace modShowDigits
