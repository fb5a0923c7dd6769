#include "components/ledglyphcache.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
// Antialiased edges may reach just past a cell's box.
constexpr int Margin = 1;
} // namespace

void LedGlyphCache::clear() {
    m_glyphs.clear();
    m_bytes = 0;
}

void LedGlyphCache::paint(QPainter& painter, std::span<const led::Cell> cells, const led::Style& style,
                          qreal dpr) {
    if (style.lit != m_style.lit || style.unlit != m_style.unlit || style.dots != m_style.dots ||
        dpr != m_dpr) {
        clear();
        m_style = style;
        m_dpr = dpr;
    }
    for (const led::Cell& cell : cells) {
        const QPointF corner(std::floor(cell.rect.x()) - Margin, std::floor(cell.rect.y()) - Margin);
        const Glyph& g = glyph(cell, cell.rect.topLeft() - corner, style, dpr);
        painter.drawImage(corner, g.image);
    }
    keepWithinBudget();
}

const LedGlyphCache::Glyph& LedGlyphCache::glyph(const led::Cell& cell, QPointF offset,
                                                 const led::Style& style, qreal dpr) {
    ++m_uses;
    for (Glyph& g : m_glyphs) {
        if (g.ch == cell.ch && g.kind == cell.kind && g.size == cell.rect.size() && g.offset == offset) {
            g.lastUse = m_uses;
            return g;
        }
    }
    const QSizeF logical(std::ceil(offset.x() + cell.rect.width()) + Margin,
                         std::ceil(offset.y() + cell.rect.height()) + Margin);
    QImage image((logical * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const led::Cell placed{QRectF(offset, cell.rect.size()), cell.ch, cell.kind};
        led::paintCells(p, std::span(&placed, 1), style);
    }
    m_bytes += image.sizeInBytes();
    m_glyphs.push_back({cell.ch, cell.kind, cell.rect.size(), offset, std::move(image), m_uses});
    return m_glyphs.back();
}

void LedGlyphCache::keepWithinBudget() {
    while (m_bytes > BudgetBytes && m_glyphs.size() > 1) {
        const auto oldest =
            std::min_element(m_glyphs.begin(), m_glyphs.end(),
                             [](const Glyph& a, const Glyph& b) { return a.lastUse < b.lastUse; });
        m_bytes -= oldest->image.sizeInBytes();
        m_glyphs.erase(oldest);
    }
}
