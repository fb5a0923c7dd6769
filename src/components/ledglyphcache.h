#pragma once

#include "components/ledgeometry.h"
#include "components/ledpainter.h"

#include <QImage>
#include <span>
#include <vector>

class QPainter;

// Drawn characters kept for copying. At 4K a digit's antialiased segments take a couple of
// milliseconds to fill, and a key press that changes a score, or a refresh that changes the
// clock, would wait for them; a kept image is copied in a fraction of that. An image is kept
// per character, place size and sub-pixel position, so a copy looks as a fresh drawing does (to
// within a rounding step where antialiased edges meet).
class LedGlyphCache {
public:
    // Most memory kept per read-out: at 4K, the ten digits at two places of the clock; the
    // least recently used go first.
    static constexpr qsizetype BudgetBytes = 8 * 1024 * 1024;

    // Draws `cells` over what `painter` has drawn already, as led::paintCells would.
    void paint(QPainter& painter, std::span<const led::Cell> cells, const led::Style& style, qreal dpr);
    void clear();
    qsizetype bytes() const { return m_bytes; }

private:
    struct Glyph {
        QChar ch;
        led::SlotKind kind;
        QSizeF size;
        QPointF offset; // of the cell inside its image
        QImage image;
        quint64 lastUse = 0;
    };

    const Glyph& glyph(const led::Cell& cell, QPointF offset, const led::Style& style, qreal dpr);
    void keepWithinBudget();

    std::vector<Glyph> m_glyphs;
    led::Style m_style;
    qreal m_dpr = 1;
    qsizetype m_bytes = 0;
    quint64 m_uses = 0;
};
