#pragma once

#include "components/ledgeometry.h"
#include "components/ledglyphcache.h"

#include <QColor>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

// What the LED read-outs have in common: the look properties, sizing from the digit
// size and paddings, and a cached painting that is redrawn only when what it shows or
// how it looks has changed. The board writes some read-outs 20 times a second whether
// anything changed or not, so every setter returns early on an unchanged value.
//
// The read-outs take the focus but leave every key to their parent: the board routes
// keys itself.
class LedReadout : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor LitColor READ litColor WRITE setLitColor NOTIFY lookChanged)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor NOTIFY lookChanged)
    // 1 draws dots; 0, and any other value, segment lines.
    Q_PROPERTY(int LedType READ ledType WRITE setLedType NOTIFY lookChanged)
    // Digit height in pixels.
    Q_PROPERTY(int Size READ digitSize WRITE setDigitSize NOTIFY lookChanged)

public:
    static constexpr int LinesType = 0;
    static constexpr int DotsType = 1;

    QColor litColor() const { return m_lit; }
    void setLitColor(const QColor& color);
    QColor backColor() const { return m_back; }
    void setBackColor(const QColor& color);
    int ledType() const { return m_ledType; }
    void setLedType(int type);
    int digitSize() const { return m_digitSize; }
    void setDigitSize(int pixels);

    // What the read-out shows; empty when cleared.
    QString displayText() const { return m_shownText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // How often the cached painting has been drawn, wholly or the changed digits only,
    // rather than just copied; lets tests and benchmarks see that an unchanged write
    // costs nothing.
    int paintingsDrawn() const { return m_paintingsDrawn; }

signals:
    void focusReceived();
    void lookChanged();

protected:
    explicit LedReadout(QWidget* parent);

    // Paddings in twips, for the read-outs that have them.
    int paddingH() const { return m_padH; }
    void setPaddingH(int twips) { setLength(m_padH, twips); }
    int paddingV() const { return m_padV; }
    void setPaddingV(int twips) { setLength(m_padV, twips); }
    int paddingI() const { return m_padI; }
    void setPaddingI(int twips) { setLength(m_padI, twips); }
    int paddingD() const { return m_padD; }
    void setPaddingD(int twips) { setLength(m_padD, twips); }

    // The frame line drawn just inside the edge; none while invalid.
    void setFrameLine(const QColor& color);
    QColor frameLine() const { return m_frame; }

    virtual QString composeText() const = 0;
    virtual std::vector<led::SlotKind> places() const = 0;
    // Called after the shown text changed, so a subclass can tell assistive tools.
    virtual void shownTextChanged(const QString& oldText) { Q_UNUSED(oldText); }

    // Ends a subclass's constructor: takes its places and text without announcing them.
    void initialise();
    // Recomputes the shown text; repaints only if it differs.
    void refreshText();
    // Places or sizes changed: resizes the widget to fit and repaints.
    void refreshGeometry();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    led::Metrics metrics() const;
    void setLength(int& field, int twips);
    void repaintLater();
    void repaintChangedCells();
    std::vector<led::Cell> layoutCells() const;
    void drawPainting();

    void setColour(QColor& field, const QColor& color);

    QColor m_lit = Qt::red;
    QColor m_back = Qt::black;
    QColor m_frame;
    int m_ledType = LinesType;
    int m_digitSize = 60;
    int m_padH = 90;
    int m_padV = 90;
    int m_padI = 90;
    int m_padD = 90;
    QString m_shownText;
    std::vector<led::SlotKind> m_places;
    QPixmap m_painting;
    std::vector<led::Cell> m_cells; // what m_painting shows
    bool m_paintingStale = true;    // redraw all of it
    QRegion m_staleCells;           // else redraw just these boxes
    LedGlyphCache m_glyphs;
    int m_paintingsDrawn = 0;
};

// A read-out with paddings around and between its digits, in twips: PaddingH left and
// right, PaddingV top and bottom, PaddingI between neighbouring digit places.
class PaddedLedReadout : public LedReadout {
    Q_OBJECT
    Q_PROPERTY(int PaddingH READ paddingH WRITE setPaddingH NOTIFY lookChanged)
    Q_PROPERTY(int PaddingV READ paddingV WRITE setPaddingV NOTIFY lookChanged)
    Q_PROPERTY(int PaddingI READ paddingI WRITE setPaddingI NOTIFY lookChanged)

public:
    using LedReadout::paddingH;
    using LedReadout::paddingI;
    using LedReadout::paddingV;
    using LedReadout::setPaddingH;
    using LedReadout::setPaddingI;
    using LedReadout::setPaddingV;

protected:
    using LedReadout::LedReadout;
};
