#include "components/ledgeometry.h"

#include <algorithm>

namespace led {

namespace {

constexpr double Half = Stroke / 2;
constexpr double Gap = 0.25; // between neighbouring segments, as on a real display

// Segment centre lines: the outer columns and the three rows.
constexpr double Left = Half;
constexpr double Right = GlyphWidth - Half;
constexpr double Top = Half;
constexpr double Middle = GlyphHeight / 2;
constexpr double Bottom = GlyphHeight - Half;

QPolygonF horizontal(double y) {
    return QPolygonF({{Left + Gap, y},
                      {Left + Gap + Half, y - Half},
                      {Right - Gap - Half, y - Half},
                      {Right - Gap, y},
                      {Right - Gap - Half, y + Half},
                      {Left + Gap + Half, y + Half}});
}

QPolygonF vertical(double x, double y0, double y1) {
    return QPolygonF({{x, y0 + Gap},
                      {x + Half, y0 + Gap + Half},
                      {x + Half, y1 - Gap - Half},
                      {x, y1 - Gap},
                      {x - Half, y1 - Gap - Half},
                      {x - Half, y0 + Gap + Half}});
}

constexpr std::array<SegmentMask, 10> DigitSegments = {
    SegA | SegB | SegC | SegD | SegE | SegF,        // 0
    SegB | SegC,                                    // 1
    SegA | SegB | SegG | SegE | SegD,               // 2
    SegA | SegB | SegG | SegC | SegD,               // 3
    SegF | SegG | SegB | SegC,                      // 4
    SegA | SegF | SegG | SegC | SegD,               // 5
    SegA | SegF | SegG | SegE | SegD | SegC,        // 6
    SegA | SegB | SegC,                             // 7
    SegA | SegB | SegC | SegD | SegE | SegF | SegG, // 8
    SegA | SegB | SegC | SegD | SegF | SegG,        // 9
};

double slotWidth(SlotKind kind, const Metrics& m) {
    switch (kind) {
    case SlotKind::Digit:
        return m.digitWidth();
    case SlotKind::HalfDigit:
        return m.stroke();
    case SlotKind::Separator:
        return 2 * m.padD + m.stroke();
    }
    return 0;
}

struct Slot {
    QRectF rect; // what is drawn; for a separator only its stroke-wide column
    SlotKind kind;
};

std::vector<Slot> slotRects(std::span<const SlotKind> places, const Metrics& m, QPointF origin) {
    std::vector<Slot> boxes;
    double x = origin.x() + m.padH;
    const double y = origin.y() + m.padV;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const SlotKind kind = places[i];
        if (i > 0 && kind != SlotKind::Separator && places[i - 1] != SlotKind::Separator) {
            x += m.padI;
        }
        if (kind == SlotKind::Separator) {
            boxes.push_back({QRectF(x + m.padD, y, m.stroke(), m.digitHeight), kind});
        } else {
            boxes.push_back({QRectF(x, y, slotWidth(kind, m), m.digitHeight), kind});
        }
        x += slotWidth(kind, m);
    }
    return boxes;
}

bool accepts(SlotKind kind, QChar ch) {
    return kind != SlotKind::HalfDigit || ch == u'1' || ch == u' ';
}

// Fills one run of places between separators with a part of the text.
void fitPart(QStringView part, std::span<const Slot> group, bool alignLeft, const Metrics& m,
             std::vector<Cell>& cells) {
    part = part.trimmed();
    const auto n = static_cast<std::size_t>(part.size());
    if (n <= group.size()) {
        const std::size_t first = alignLeft ? 0 : group.size() - n;
        bool fits = true;
        for (std::size_t j = 0; j < n; ++j) {
            fits = fits && accepts(group[first + j].kind, part[j]);
        }
        if (fits) {
            for (std::size_t i = 0; i < group.size(); ++i) {
                const QChar ch = (i >= first && i < first + n) ? part[i - first] : QChar(u' ');
                cells.push_back({group[i].rect, ch, group[i].kind});
            }
            return;
        }
    }
    // Too long, or a half place asked for something other than a 1: narrow every
    // digit and gap alike until the whole part fits the places' width.
    const double x0 = group.front().rect.left();
    const double span = group.back().rect.right() - x0;
    const double natural = n * m.digitWidth() + (n - 1) * m.padI;
    const double f = natural > 0 ? std::min(1.0, span / natural) : 0.0;
    const double start = x0 + (span - natural * f);
    for (std::size_t j = 0; j < n; ++j) {
        const double x = start + j * (m.digitWidth() + m.padI) * f;
        cells.push_back({QRectF(x, group.front().rect.top(), m.digitWidth() * f, m.digitHeight), part[j],
                         SlotKind::Digit});
    }
}

bool isSeparatorChar(QChar ch) {
    return ch == u':' || ch == u'.';
}

} // namespace

SegmentMask segmentsFor(QChar ch) {
    if (ch >= u'0' && ch <= u'9') {
        return DigitSegments[ch.unicode() - u'0'];
    }
    return ch == u'-' ? SegG : 0;
}

const std::array<QPolygonF, SegmentCount>& segmentPolygons() {
    static const std::array<QPolygonF, SegmentCount> polygons = {
        horizontal(Top),                 // a
        vertical(Right, Top, Middle),    // b
        vertical(Right, Middle, Bottom), // c
        horizontal(Bottom),              // d
        vertical(Left, Middle, Bottom),  // e
        vertical(Left, Top, Middle),     // f
        horizontal(Middle),              // g
    };
    return polygons;
}

QPointF dotCentre(int column, int row) {
    return {Left + column * (Right - Left) / (DotColumns - 1), Top + row * (Bottom - Top) / (DotRows - 1)};
}

SegmentMask segmentsThroughDot(int column, int row) {
    constexpr int MiddleRow = DotRows / 2;
    constexpr int LastColumn = DotColumns - 1;
    constexpr int LastRow = DotRows - 1;
    SegmentMask mask = 0;
    if (row == 0) {
        mask |= SegA;
    }
    if (row == MiddleRow) {
        mask |= SegG;
    }
    if (row == LastRow) {
        mask |= SegD;
    }
    const bool upper = row <= MiddleRow;
    const bool lower = row >= MiddleRow;
    if (column == 0) {
        mask |= (upper ? SegF : 0) | (lower ? SegE : 0);
    }
    if (column == LastColumn) {
        mask |= (upper ? SegB : 0) | (lower ? SegC : 0);
    }
    return mask;
}

std::array<bool, 3> separatorMarksFor(QChar ch) {
    return {ch == u':', ch == u':', ch == u'.'};
}

std::vector<SlotKind> placesForMax(int max) {
    const QString digits = QString::number(std::max(max, 0));
    std::vector<SlotKind> places;
    if (digits.size() >= 2 && digits.front() == u'1') {
        places.push_back(SlotKind::HalfDigit);
        places.insert(places.end(), digits.size() - 1, SlotKind::Digit);
    } else {
        places.insert(places.end(), digits.size(), SlotKind::Digit);
    }
    return places;
}

std::vector<SlotKind> clockPlaces() {
    return {SlotKind::Digit, SlotKind::Digit, SlotKind::Separator, SlotKind::Digit, SlotKind::Digit};
}

QSizeF readoutSize(std::span<const SlotKind> places, const Metrics& m) {
    const std::vector<Slot> boxes = slotRects(places, m, {});
    const double contentRight =
        boxes.empty() ? m.padH
                      : boxes.back().rect.right() + (places.back() == SlotKind::Separator ? m.padD : 0);
    return {contentRight + m.padH, 2 * m.padV + m.digitHeight};
}

std::vector<Cell> layoutText(const QString& text, std::span<const SlotKind> places, const Metrics& m,
                             QPointF origin) {
    const std::vector<Slot> boxes = slotRects(places, m, origin);
    std::vector<Cell> cells;
    cells.reserve(boxes.size() + static_cast<std::size_t>(text.size()));

    const auto separators = std::count(places.begin(), places.end(), SlotKind::Separator);
    qsizetype pos = 0;
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i <= boxes.size(); ++i) {
        const bool end = i == boxes.size();
        if (!end && boxes[i].kind != SlotKind::Separator) {
            continue;
        }
        // The text up to the next separator character belongs to this run of places.
        qsizetype partEnd = text.size();
        if (!end) {
            partEnd = pos;
            while (partEnd < text.size() && !isSeparatorChar(text[partEnd])) {
                ++partEnd;
            }
        }
        const QStringView part = QStringView(text).mid(pos, partEnd - pos);
        if (i > groupStart) {
            const bool alignLeft = separators > 0 && end;
            fitPart(part, std::span(boxes).subspan(groupStart, i - groupStart), alignLeft, m, cells);
        }
        if (!end) {
            const QChar mark = partEnd < text.size() ? text[partEnd] : QChar(u' ');
            cells.push_back({boxes[i].rect, mark, SlotKind::Separator});
            pos = std::min(partEnd + 1, text.size());
            groupStart = i + 1;
        }
    }
    return cells;
}

} // namespace led
