#pragma once

#include "game/gameevent.h"

#include <cstdint>
#include <span>

class QWidget;

// The board as designed: every element's name, kind, place and look, in twips at the design
// size. One builder reads it; the proportional layout scales what it built.
namespace boarddesign {

// The board's client area at the design size.
inline constexpr int Width = 9480;
inline constexpr int Height = 6795;

enum class Kind {
    Label,
    PictureBox, // a framed area; the images and team names sit inside one
    Image,      // a picture inside its picture box, as large as the box until fitted
    Rectangle,
    RoundedRectangle,
    Circle,
    DigitPanel,
    ClockPanel,
};

// The setting an element takes its colour from when the scheme is applied.
enum class ColorRole {
    None,
    FormBack,    // window and labels' background
    Caption,     // label text that is always white
    Border,      // frames
    Time,        // game clock and shot clock digits
    Score,       // score and player-foul digits
    Period,      // period, timeouts and team-foul digits
    PictureBack, // behind a picture
};

struct Element {
    const char* name;
    Kind kind;
    const char* parent = nullptr; // the picture box it sits in; none: the board itself
    int left = 0;
    int top = 0;
    int width = 0; // read-outs size themselves from their digit size and paddings
    int height = 0;
    const char* text = nullptr;
    double fontSize = 0; // points
    bool bold = true;
    ColorRole role = ColorRole::None;
    // Read-outs: digit size and paddings (twips), and for a number the largest value
    // its digit places are made for.
    int digitSize = 0;
    int paddingH = 0;
    int paddingV = 0;
    int paddingI = 0;
    int paddingD = 0;
    int max = 0;
    const char* accessibleName = nullptr;
    int borderWidth = 0; // shapes, in pixels
};

// Every element, in the order it is created (later ones stack above earlier ones).
std::span<const Element> elements();

// Creates every element as a child of `board`, at its design place and with its design look.
// Elements that share a name (the bonus lights) carry their place among them as "Index".
void build(QWidget* board);

// The fields in the order Tab visits them: the game clock first.
std::span<const char* const> tabOrder();

// The number read-outs and the value of the game each shows.
struct NumberField {
    const char* name;
    GameField field;
};
std::span<const NumberField> numberFields();

} // namespace boarddesign
