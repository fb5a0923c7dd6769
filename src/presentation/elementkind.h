#pragma once

class QWidget;

// What the presentation procedures take an element of a window for. The board's
// picture boxes are plain widgets named "pic…"; its images are ImageBoxes (or, on a
// board that still uses labels for them, labels named "img…").
enum class ElementKind { DigitPanel, ClockPanel, DotPanel, PictureBox, Image, Label, Shape, Other };

ElementKind kindOf(const QWidget& element);
