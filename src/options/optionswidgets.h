#pragma once

#include <QFrame>
#include <QRect>
#include <QScrollBar>
#include <cstdint>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// A colour swatch: shows a stored colour and keeps its exact stored value.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent);
    std::int32_t color() const { return m_color; }
    void setColor(std::int32_t color);

private:
    std::int32_t m_color = 0;
};

// A vertical scroll bar whose upper arrow raises the value (Qt's own puts the minimum at
// the top). It runs over the negated range inside; everything outside, assistive tools
// included, sees the value shown.
class RaisingScrollBar : public QScrollBar {
    Q_OBJECT
public:
    RaisingScrollBar(int low, int high, QWidget* parent);
    int shownValue() const { return -value(); }
    void setShownValue(int value) { setValue(-value); }

signals:
    void shownValueChanged(int value);
};

// Placing the dialog's controls. Positions are in twips; a page's are measured from the top
// of the tab control, tabs included.
namespace options::layout {

inline constexpr int DialogWidth = 6300;
inline constexpr int DialogHeight = 5280;
inline constexpr QRect ResetButton{4560, 3960, 1215, 375};

// A rectangle on a page, in pixels.
QRect onPage(QRect twips);
// A rectangle inside a group or the dialog, in pixels.
QRect inside(QRect twips);

QFont arialFont(qreal points);
QFont dialogFont();
void setBackground(QWidget* widget, const QColor& color);

QGroupBox* addGroup(QWidget* page, const QString& title, QRect twipsOnPage);
QLabel* addCaption(QWidget* parent, const QString& text, QRect twips);
// A boxed, centred value label on white.
QLabel* addValueLabel(QWidget* parent, const char* name, QRect twips);
QPushButton* addButton(QWidget* parent, const char* name, const QString& text, QRect pixels);
QRadioButton* addOption(QWidget* parent, const char* name, const QString& text, QRect twips);

} // namespace options::layout
