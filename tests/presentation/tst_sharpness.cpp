// The board at a device pixel ratio of 2 is drawn at device resolution: every edge of a
// digit or a frame goes from one colour to the other within one device pixel, as it does
// at a ratio of 1. A read-out painted at 1 and stretched would smear each edge over two.
#include "components/boardshape.h"
#include "components/ledpainter.h"
#include "platform/rgbcolor.h"
#include "presentedboard.h"
#include "support/pixels.h"
#include "support/settingsguard.h"

#include <QApplication>
#include <QtTest>

using pixels::rgbOf;

namespace {

struct Column {
    int longestBlend = 0; // the longest run of pixels of none of the pure colours
    int pureRuns = 0;     // runs of the colour looked for
};

// Walks one column from top to bottom. Pixels of a pure colour end a blend.
Column walk(const QImage& image, int x, const QList<QRgb>& pure, QRgb wanted) {
    Column c;
    int blend = 0;
    bool inWanted = false;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(x, y) | 0xFF000000u;
        const bool isPure = pure.contains(p);
        blend = isPure ? 0 : blend + 1;
        c.longestBlend = std::max(c.longestBlend, blend);
        const bool isWanted = p == (wanted | 0xFF000000u);
        if (isWanted && !inWanted) {
            ++c.pureRuns;
        }
        inWanted = isWanted;
    }
    return c;
}

} // namespace

class TestSharpness : public QObject {
    Q_OBJECT

private slots:
    void drawsAtDeviceResolution();
    void digitEdgesSpanOneDevicePixel_data();
    void digitEdgesSpanOneDevicePixel();
    void frameEdgesSpanOneDevicePixel_data();
    void frameEdgesSpanOneDevicePixel();
};

void TestSharpness::drawsAtDeviceResolution() {
    PresentedBoard b;
    QCOMPARE(b.board->devicePixelRatioF(), 2.0);
    const QPixmap grab = b.widget("clkGame")->grab();
    QCOMPARE(grab.devicePixelRatio(), 2.0);
    QCOMPARE(grab.size(), 2 * b.widget("clkGame")->size());
}

void TestSharpness::digitEdgesSpanOneDevicePixel_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("ledType");
    QTest::newRow("design size, lines") << QSize(632, 453) << 0;
    QTest::newRow("odd size, lines") << QSize(1003, 741) << 0;
    QTest::newRow("another odd size, lines") << QSize(777, 555) << 0;
    QTest::newRow("odd size, dots") << QSize(1003, 741) << 1;
    QTest::newRow("design size, dots") << QSize(632, 453) << 1;
}

void TestSharpness::digitEdgesSpanOneDevicePixel() {
    QFETCH(QSize, window);
    QFETCH(int, ledType);
    const SettingsGuard restoresSettings;
    PresentedBoard b;
    Settings.LEDType = std::int16_t(ledType);
    QVERIFY(b.resizeTo(window.width(), window.height()));
    auto* clock = b.field<LedReadout>("clkGame");
    const QImage image = b.shot(clock);
    QCOMPARE(image.size(), 2 * clock->size());

    const QRgb lit = rgbOf(Settings.TimeColor);
    const QRgb back = rgbOf(Settings.LEDBack);
    const QRgb unlit =
        led::unlitColour(rgbcolor::toQColor(Settings.TimeColor), rgbcolor::toQColor(Settings.LEDBack)).rgb() |
        0xFF000000u;
    const QRgb frame = rgbOf(Settings.BorderColor);
    // The column through the middle of the last digit ("0" of 10:00) crosses its top and bottom
    // bars, whose edges run straight across it; for dots, the middle of the dots' column.
    const double padH = 2 * twips::toPixelsF(clock->property("PaddingH").toInt());
    const double digitWidth = 2 * clock->digitSize() * 9.0 / 16;
    int x = int(image.width() - padH - digitWidth / 2);
    if (ledType == 1) {
        // Dots sit on a grid: take the column through the middle of a dot column, where the most
        // pixels are lit and the dots' edges run straight across.
        int best = -1;
        const int from = int(image.width() - padH - digitWidth);
        for (int candidate = from; candidate < int(image.width() - padH); ++candidate) {
            int litPixels = 0;
            for (int y = 0; y < image.height(); ++y) {
                litPixels += (image.pixel(candidate, y) | 0xFF000000u) == lit;
            }
            if (litPixels > best) {
                best = litPixels;
                x = candidate;
            }
        }
    }
    const Column c = walk(image, x, {lit, back, unlit, frame}, lit);
    QVERIFY2(c.pureRuns >= 2,
             qPrintable(QStringLiteral("column %1 crosses %2 lit bars").arg(x).arg(c.pureRuns)));
    if (ledType == 0) {
        QVERIFY2(c.longestBlend <= 1,
                 qPrintable(QStringLiteral("edge blends over %1 pixels").arg(c.longestBlend)));
    } else {
        // Round dots are smoothed along their curve; at their widest a column still crosses few blends.
        QVERIFY2(c.longestBlend <= 2,
                 qPrintable(QStringLiteral("edge blends over %1 pixels").arg(c.longestBlend)));
    }
}

void TestSharpness::frameEdgesSpanOneDevicePixel_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QSize>("window");
    QTest::newRow("board frame") << "Shape3" << QSize(632, 453);
    QTest::newRow("clock frame") << "Shape1" << QSize(632, 453);
    QTest::newRow("clock frame, scaled") << "Shape1" << QSize(1264, 906);
}

void TestSharpness::frameEdgesSpanOneDevicePixel() {
    QFETCH(QString, shape);
    QFETCH(QSize, window);
    PresentedBoard b;
    QVERIFY(b.resizeTo(window.width(), window.height()));
    auto* s = b.field<BoardShape>(qPrintable(shape));
    const QImage image = b.board->grab(s->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb border = rgbOf(Settings.BorderColor);
    const QRgb background = rgbOf(Settings.FormBack);
    // A column a third of the way in crosses the straight top and bottom edges only.
    const int x = image.width() / 3;
    QList<QRgb> pure = {border, background};
    // Inside the frame other elements show; only the two edges of each outline line matter.
    int y = 0;
    while (y < image.height() && (image.pixel(x, y) | 0xFF000000u) == background) {
        ++y;
    }
    int blend = 0;
    while (y < image.height() && (image.pixel(x, y) | 0xFF000000u) != border) {
        ++blend, ++y;
    }
    QVERIFY2(blend <= 1, qPrintable(QStringLiteral("outer edge blends over %1 pixels").arg(blend)));
    int thickness = 0;
    while (y < image.height() && (image.pixel(x, y) | 0xFF000000u) == border) {
        ++thickness, ++y;
    }
    QCOMPARE(thickness, 2 * s->borderWidth());
}

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestSharpness test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sharpness.moc"
