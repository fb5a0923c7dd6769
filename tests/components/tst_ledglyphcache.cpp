// Digits copied from kept images must look as a fresh drawing does, at any sub-pixel place (within
// a rounding step where antialiased edges meet), and never be a kept image of another character,
// size or look.
#include "components/ledglyphcache.h"
#include "components/ledpainter.h"

#include <QImage>
#include <QPainter>
#include <QTest>

class TestLedGlyphCache : public QObject {
    Q_OBJECT

private slots:
    void copiesMatchFreshDrawing_data();
    void copiesMatchFreshDrawing();
};

namespace {

const QColor Back(20, 20, 40);

QImage canvas() {
    QImage image(420, 260, QImage::Format_RGB32);
    image.fill(Back);
    return image;
}

QImage drawn(std::span<const led::Cell> cells, const led::Style& style) {
    QImage image = canvas();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    led::paintCells(painter, cells, style);
    return image;
}

QImage copied(LedGlyphCache& cache, std::span<const led::Cell> cells, const led::Style& style) {
    QImage image = canvas();
    QPainter painter(&image);
    cache.paint(painter, cells, style, 1.0);
    return image;
}

// The largest difference of a colour channel between two pictures of one size.
int difference(const QImage& a, const QImage& b) {
    int most = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return most;
}

} // namespace

void TestLedGlyphCache::copiesMatchFreshDrawing_data() {
    QTest::addColumn<bool>("dots");
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("lines, between pixels") << false << QPointF(10.37, 9.81) << QSizeF(90.4, 160.7);
    QTest::newRow("dots, between pixels") << true << QPointF(3.5, 12.25) << QSizeF(71.3, 127.9);
    QTest::newRow("lines, small") << false << QPointF(0.6, 0.4) << QSizeF(9.3, 16.6);
}

void TestLedGlyphCache::copiesMatchFreshDrawing() {
    QFETCH(bool, dots);
    QFETCH(QPointF, at);
    QFETCH(QSizeF, size);
    const led::Style red{QColor(255, 0, 0), led::unlitColour(QColor(255, 0, 0), Back), dots};
    const led::Style green{QColor(0, 192, 0), led::unlitColour(QColor(0, 192, 0), Back), dots};
    // Two digits a fraction of a pixel apart, a separator and a half place: each sits differently
    // on the pixel grid.
    const auto cells = [&](QChar first, QChar second) {
        const double step = size.width() + 7.3;
        return std::vector<led::Cell>{
            {QRectF(at, size), first, led::SlotKind::Digit},
            {QRectF(at + QPointF(step, 0), size), second, led::SlotKind::Digit},
            {QRectF(at + QPointF(2 * step, 0), QSizeF(size.width() / 4, size.height())), u':',
             led::SlotKind::Separator},
            {QRectF(at + QPointF(2.5 * step, 0.5), QSizeF(size.width() / 2, size.height())), u'1',
             led::SlotKind::HalfDigit},
        };
    };
    LedGlyphCache cache;
    for (const auto& [text, style] : {std::pair{"88", red}, std::pair{"18", red}, std::pair{"88", red},
                                      std::pair{"81", green}, std::pair{" 8", green}}) {
        const std::vector<led::Cell> shown = cells(QChar::fromLatin1(text[0]), QChar::fromLatin1(text[1]));
        QVERIFY2(difference(copied(cache, shown, style), drawn(shown, style)) <= 1, text);
    }
}

QTEST_MAIN(TestLedGlyphCache)
#include "tst_ledglyphcache.moc"
