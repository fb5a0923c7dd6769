#pragma once

#include <QStringList>
#include <cstdint>
#include <span>

class LedReadout;
class QWidget;
struct SettingsRecord;

// The board's colour scheme. Colours are 32-bit numbers with red in the low byte.
namespace modColor {

// The background, then the lit colour, of one read-out or of each read-out of a group.
void ColorReadout(LedReadout& readout, std::int32_t litColor, std::int32_t ledBack);
void ColorReadout(std::span<LedReadout* const> group, std::int32_t litColor, std::int32_t ledBack);

// Colours every element of the window by its kind (caption text BorderColor, picture
// box background LEDBack, shape outline LEDBack), except those whose name is in the skip
// list. Elements that share a name are skipped together.
void ColorByType(QWidget& window, const QStringList& skip, const SettingsRecord& settings);

// The names UpdateFormColors colours one by one rather than by kind.
const QStringList& IndividuallyColoured();

// Applies every colour of the board from the settings, in order. Afterwards the board
// must run its UpdatePoss and then UpdateBonus, which colour the possession arrows and
// bonus lights. Elements the window lacks are passed over.
void UpdateFormColors(QWidget& window, const SettingsRecord& settings);

// The text colour of a caption and the background of a window or picture box, as the
// board paints them.
void setTextColor(QWidget& widget, std::int32_t color);
void setBackground(QWidget& widget, std::int32_t color);

} // namespace modColor
