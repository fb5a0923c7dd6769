#pragma once

#include "presentation/boardelements.h"
#include "settings/settings.h"

#include <cstdint>
#include <span>

// The board's own rules on top of its design: the order Tab visits the fields, what typing and
// the quick keys may make of each number field.
namespace boarddesign {

// The fields in the order Tab visits them: the game clock first.
std::span<const char* const> tabOrder();

// The number fields and what typing and the quick keys may make of them. Typing stops at what
// the field's digits are made for; a team-foul quick key counts on beyond that, to 99.
struct NumberField {
    const char* name;
    int typedMaximum;
    int quickMaximum;
    bool teamFouls; // the bonus lights follow it
};
std::span<const NumberField> numberFields();

// The quick keys: which setting holds the key, which field it changes, and by how much.
struct QuickKey {
    std::int16_t SettingsRecord::*key;
    const char* field;
    const char* change;
};
std::span<const QuickKey> quickKeys();

} // namespace boarddesign
