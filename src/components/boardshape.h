#pragma once

#include <QColor>
#include <QWidget>

// A drawn shape on the board: the frames around the clock and the playing area, the
// bonus lights and the selection mark. Shapes never take focus or mouse clicks.
class BoardShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor BorderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QColor FillColor READ fillColor WRITE setFillColor)
    Q_PROPERTY(int BorderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(bool Lit READ lit WRITE setLit)

public:
    enum class Kind { Rectangle, RoundedRectangle, Circle };

    BoardShape(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    QColor borderColor() const { return m_border; }
    void setBorderColor(const QColor& c);
    // An invalid fill colour leaves the inside transparent.
    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& c);
    // In pixels; 0 draws no outline.
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int px);
    // Whether a light is on; what assistive tools read for the bonus lights.
    bool lit() const { return m_lit; }
    void setLit(bool lit);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    Kind m_kind;
    QColor m_border = Qt::black;
    QColor m_fill;
    int m_borderWidth = 1;
    bool m_lit = false;
};

// Makes the shapes known to assistive tools as indicators, checked while lit.
void installBoardShapeAccessibility();
