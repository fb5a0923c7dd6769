#include "scoreboard/boarddesign.h"

#include <array>

namespace boarddesign {

namespace {

// clang-format off
constexpr std::array NumberFields{
    NumberField{"digHome", 199, 199, false},     NumberField{"digVisitor", 199, 199, false},
    NumberField{"digFoulsH", 19, 99, true},      NumberField{"digFoulsV", 19, 99, true},
    NumberField{"digTimeoutsH", 9, 9, false},    NumberField{"digTimeoutsV", 9, 9, false},
    NumberField{"digPlayerFoul", 99, 99, false}, NumberField{"digFouls", 9, 9, false},
    NumberField{"digPeriod", 9, 9, false},
};

constexpr std::array QuickKeys{
    QuickKey{&SettingsRecord::QScoreH1, "digHome", "+1"},     QuickKey{&SettingsRecord::QScoreH2, "digHome", "+2"},
    QuickKey{&SettingsRecord::QScoreH3, "digHome", "+3"},     QuickKey{&SettingsRecord::QScoreV1, "digVisitor", "+1"},
    QuickKey{&SettingsRecord::QScoreV2, "digVisitor", "+2"},  QuickKey{&SettingsRecord::QScoreV3, "digVisitor", "+3"},
    QuickKey{&SettingsRecord::QFoulH1, "digFoulsH", "+1"},    QuickKey{&SettingsRecord::QFoulV1, "digFoulsV", "+1"},
    QuickKey{&SettingsRecord::QPeriod1, "digPeriod", "+1"},   QuickKey{&SettingsRecord::QTOLH1, "digTimeoutsH", "-1"},
    QuickKey{&SettingsRecord::QTOLV1, "digTimeoutsV", "-1"},
};
constexpr std::array TabOrder{"clkGame",      "digHome",       "digShotClock", "digPeriod",
                              "digVisitor",   "digFoulsH",     "digTimeoutsH", "digPlayerFoul",
                              "digFouls",     "digTimeoutsV",  "digFoulsV"};
// clang-format on

} // namespace

std::span<const NumberField> numberFields() {
    return NumberFields;
}

std::span<const QuickKey> quickKeys() {
    return QuickKeys;
}

std::span<const char* const> tabOrder() {
    return TabOrder;
}

} // namespace boarddesign
