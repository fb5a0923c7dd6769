#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "presentedboard.h"
#include "support/settingsguard.h"

#include <QLabel>
#include <QtTest>

using modStretch::LayoutItem;

namespace {

// Everything the layout writes to one element, in the element's own units.
struct Look {
    QString name;
    QRect geometry;
    double fontSize = 0;
    int borderWidth = 0;
    int size = 0;
    int padH = 0, padV = 0, padI = 0, padD = 0;
    bool operator==(const Look&) const = default;
};

Look lookOf(QWidget* w) {
    Look l;
    l.name = w->objectName();
    l.geometry = w->geometry();
    l.fontSize = w->font().pointSizeF();
    if (auto* shape = qobject_cast<BoardShape*>(w)) {
        l.borderWidth = shape->borderWidth();
    }
    if (auto* readout = qobject_cast<LedReadout*>(w)) {
        l.size = readout->digitSize();
    }
    if (auto* padded = qobject_cast<PaddedLedReadout*>(w)) {
        l.padH = padded->paddingH();
        l.padV = padded->paddingV();
        l.padI = padded->paddingI();
    }
    if (auto* clock = qobject_cast<ClockPanel*>(w)) {
        l.padD = clock->paddingD();
    }
    return l;
}

QList<Look> looks(const PresentedBoard& b) {
    QList<Look> all;
    for (const LayoutItem& item : b.layout.LayoutItems()) {
        all << lookOf(item.Control);
    }
    return all;
}

// Columns of the first and last pixel in a row that differ from the window background.
std::pair<int, int> drawnSpan(const QImage& image, int y, QRgb background) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != background) {
            if (first < 0) {
                first = x;
            }
            last = x;
        }
    }
    return {first, last};
}

bool isTeamName(const QWidget* w) {
    // The team names size themselves to their text after every resize.
    return w->objectName() == QLatin1String("lblHome") || w->objectName() == QLatin1String("lblVisitor");
}

} // namespace

class TestStretch : public QObject {
    Q_OBJECT

private slots:
    void rsize_data();
    void rsize();
    void doubleSizeDoublesEverything();
    void spareSpaceCentresTheBoard_data();
    void spareSpaceCentresTheBoard();
    void tinyWindowKeepsEverySizeAtLeastOne();
    void minimiseAndRestoreKeepLayout();
    void repeatedResizesDoNotDrift_data();
    void repeatedResizesDoNotDrift();
    void ledTypeReachesEveryReadout_data();
    void ledTypeReachesEveryReadout();
};

void TestStretch::rsize_data() {
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::newRow("standard") << 9600.0 << 7200.0 << 24.0 << 24.0;
    QTest::newRow("twice as wide, height-limited") << 19200.0 << 7200.0 << 24.0 << 24.0;
    QTest::newRow("twice as tall, width-limited") << 9600.0 << 14400.0 << 24.0 << 24.0;
    QTest::newRow("twice the size") << 19200.0 << 14400.0 << 24.0 << 48.0;
    QTest::newRow("half the size") << 4800.0 << 3600.0 << 24.0 << 12.0;
    QTest::newRow("wide, height wins") << 30000.0 << 3600.0 << 24.0 << 12.0;
    QTest::newRow("4K screen") << 57600.0 << 32400.0 << 24.0 << 108.0;
    QTest::newRow("no window") << 0.0 << 0.0 << 24.0 << 0.0;
}

void TestStretch::rsize() {
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(modStretch::RSize(value, width, height), expected);
}

void TestStretch::doubleSizeDoublesEverything() {
    PresentedBoard b;
    const QList<Look> design = looks(b);
    const QImage before = b.shot();
    QVERIFY(b.resizeTo(2 * 632, 2 * 453));
    const QList<Look> doubled = looks(b);
    QCOMPARE(doubled.size(), design.size());
    for (qsizetype i = 0; i < design.size(); ++i) {
        const Look& d = design[i];
        const Look& now = doubled[i];
        const QWidget* w = b.layout.LayoutItems()[std::size_t(i)].Control;
        if (isTeamName(w)) {
            QCOMPARE(now.fontSize, 2 * d.fontSize);
            continue;
        }
        if (w->objectName() == QLatin1String("shpObjectSelected")) {
            // A resize hides the mark; the next selection places it anew.
            QVERIFY(!w->isVisible());
            continue;
        }
        if (qobject_cast<const LedReadout*>(w) != nullptr) {
            // A read-out's outer size follows its digit size and paddings, within a pixel.
            QCOMPARE(now.geometry.topLeft(), 2 * d.geometry.topLeft());
            QVERIFY2(std::abs(now.geometry.width() - 2 * d.geometry.width()) <= 1, qPrintable(d.name));
            QVERIFY2(std::abs(now.geometry.height() - 2 * d.geometry.height()) <= 1, qPrintable(d.name));
        } else if (d.geometry.width() > 0) {
            QCOMPARE(now.geometry, QRect(2 * d.geometry.topLeft(), 2 * d.geometry.size()));
        }
        if (b.layout.LayoutItems()[std::size_t(i)].FontSize != 0) {
            QCOMPARE(now.fontSize, 2 * d.fontSize);
        }
        QCOMPARE(now.borderWidth, 2 * d.borderWidth);
        QCOMPARE(now.size, 2 * d.size);
        QCOMPARE(now.padH, 2 * d.padH);
        QCOMPARE(now.padV, 2 * d.padV);
        QCOMPARE(now.padI, 2 * d.padI);
        QCOMPARE(now.padD, 2 * d.padD);
    }

    // On screen: the big frame's outline starts twice as far in, and the board fills the window.
    const QImage after = b.shot();
    QCOMPARE(after.size(), 2 * before.size());
    const QRgb background = before.pixel(1, 1);
    const int y = 2 * 453 / 2;
    const auto [first, last] = drawnSpan(after, y, background);
    const auto [firstBefore, lastBefore] = drawnSpan(before, 453 / 2, background);
    QVERIFY(std::abs(first - 2 * firstBefore) <= 1);
    QVERIFY(std::abs(last - (2 * lastBefore + 1)) <= 1);
}

void TestStretch::spareSpaceCentresTheBoard_data() {
    QTest::addColumn<QSize>("window");
    // Worked by hand from the design's 9480 x 6795 twips (15 a pixel): the tighter ratio scales,
    // and half the spare twips, rounded to the even whole twip, go before the board.
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("dx");
    QTest::addColumn<double>("dy");
    QTest::newRow("twice as wide") << QSize(2 * 632, 453) << 1.0 << 4740.0 << 0.0;
    QTest::newRow("twice as tall") << QSize(632, 2 * 453) << 1.0 << 0.0 << 3398.0;    // 3397.5
    QTest::newRow("full HD") << QSize(1920, 1080) << 16200.0 / 6795 << 3099.0 << 0.0; // 3099.34
    QTest::newRow("4K") << QSize(3840, 2160) << 32400.0 / 6795 << 6199.0 << 0.0;      // 6198.68
}

void TestStretch::spareSpaceCentresTheBoard() {
    QFETCH(QSize, window);
    QFETCH(double, factor);
    QFETCH(double, dx);
    QFETCH(double, dy);
    PresentedBoard b;
    const QHash<QWidget*, QRect> design = [&] {
        QHash<QWidget*, QRect> g;
        // Where the board recorded each element when it loaded, before anything moved it.
        for (const LayoutItem& item : b.layout.LayoutItems()) {
            g.insert(item.Control, twips::toPixels(item.Left, item.Top, item.Width, item.Height));
        }
        return g;
    }();
    QVERIFY(b.resizeTo(window.width(), window.height()));

    const modStretch::Stretch s = modStretch::StretchFor(twips::fromPixels(window.width()),
                                                         twips::fromPixels(window.height()), 9480, 6795);
    QCOMPARE(s.factor, factor);
    QCOMPARE(s.dx, dx);
    QCOMPARE(s.dy, dy);
    const QPoint offset(twips::toPixels(s.dx), twips::toPixels(s.dy));
    // The layout alone, before the captions and pictures are fitted again.
    b.layout.StretchLayout(*b.board);
    for (auto it = design.begin(); it != design.end(); ++it) {
        QWidget* w = it.key();
        const bool inBox = w->parentWidget() != b.board.get();
        // Scaled from the design, then moved by the offset; never the offset twice for a box's contents.
        const QPointF scaled = QPointF(it.value().topLeft()) * s.factor;
        const QPoint expected = scaled.toPoint() + (inBox ? QPoint() : offset);
        QVERIFY2((w->pos() - expected).manhattanLength() <= 2,
                 qPrintable(QString::asprintf("%s at %d,%d, expected %d,%d", qPrintable(w->objectName()),
                                              w->x(), w->y(), expected.x(), expected.y())));
    }
    QCOMPARE(b.widget("imgHomePic")->pos(), QPoint(0, 0));
    QVERIFY(b.widget("lblHome")->x() < b.widget("picHomeContainer")->width() / 2);

    // On screen the spare space is split evenly: the big frame's margins differ only as much as the
    // design's own (8 pixels on the left, 7 on the right), scaled.
    const QImage image = b.shot();
    const QRgb background = image.pixel(1, image.height() - 2);
    const QWidget* frame = b.widget("Shape3");
    const auto [first, last] = drawnSpan(image, frame->geometry().center().y(), background);
    QVERIFY(first >= 0);
    const double designDifference = (120 - (9480 - 120 - 9255)) / 15.0 * s.factor;
    QVERIFY2(std::abs(first - (image.width() - 1 - last) - designDifference) <= 2,
             qPrintable(
                 QStringLiteral("left margin %1, right margin %2").arg(first).arg(image.width() - 1 - last)));
}

void TestStretch::tinyWindowKeepsEverySizeAtLeastOne() {
    PresentedBoard b;
    QVERIFY(b.resizeTo(12, 9));
    for (const LayoutItem& item : b.layout.LayoutItems()) {
        const Look l = lookOf(item.Control);
        const QByteArray name = l.name.toUtf8();
        if (item.Width != 0) {
            QVERIFY2(l.geometry.width() >= 1 && l.geometry.height() >= 1, name);
        }
        if (item.FontSize != 0) {
            QVERIFY2(l.fontSize >= 1, name);
        }
        if (item.BorderWidth != 0) {
            QVERIFY2(l.borderWidth >= 1, name);
        }
        if (item.Size != 0) {
            QVERIFY2(l.size >= 1, name);
        }
        for (auto [recorded, now] : {std::pair{item.PaddingH, l.padH}, std::pair{item.PaddingV, l.padV},
                                     std::pair{item.PaddingI, l.padI}, std::pair{item.PaddingD, l.padD}}) {
            if (recorded != 0) {
                QVERIFY2(now >= 1, name);
            }
        }
    }
    QVERIFY(!b.shot().isNull());
}

void TestStretch::minimiseAndRestoreKeepLayout() {
    PresentedBoard b;
    QVERIFY(b.resizeTo(900, 700));
    const QList<Look> before = looks(b);
    b.board->showMinimized();
    QVERIFY(QTest::qWaitFor([&] { return b.board->isMinimized(); }, 5000));
    // A resize while minimised (some window systems report one) changes nothing.
    b.layout.StretchLayout(*b.board);
    QCoreApplication::processEvents();
    b.board->showNormal();
    QVERIFY(QTest::qWaitFor([&] { return !b.board->isMinimized(); }, 5000));
    QCoreApplication::processEvents();
    QCOMPARE(looks(b), before);
}

void TestStretch::repeatedResizesDoNotDrift_data() {
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::newRow("shrink and grow") << QList<QSize>{{300, 200}, {1001, 777}, {633, 455}, {2000, 1500}};
    QTest::newRow("odd sizes") << QList<QSize>{{641, 459}, {643, 461}, {647, 463}, {651, 467}, {653, 469}};
    QTest::newRow("tiny and huge") << QList<QSize>{{5, 5}, {3840, 2160}, {7, 3}};
}

void TestStretch::repeatedResizesDoNotDrift() {
    QFETCH(QList<QSize>, sizes);
    PresentedBoard b;
    QVERIFY(b.resizeTo(1111, 888));
    const QList<Look> first = looks(b);
    const QImage firstShot = b.shot();
    for (const QSize& s : sizes) {
        QVERIFY(b.resizeTo(s.width(), s.height()));
    }
    QVERIFY(b.resizeTo(1111, 888));
    QCOMPARE(looks(b), first);
    QCOMPARE(b.shot(), firstShot);
}

void TestStretch::ledTypeReachesEveryReadout_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("dots");
    QTest::newRow("lines") << 0 << false;
    QTest::newRow("dots") << 1 << true;
    QTest::newRow("no selection") << -1 << false;
    QTest::newRow("unknown") << 7 << false;
}

void TestStretch::ledTypeReachesEveryReadout() {
    QFETCH(int, type);
    QFETCH(bool, dots);
    const SettingsGuard restoresSettings;
    PresentedBoard b;
    QWidget* score = b.widget("digHome");
    QWidget* clock = b.widget("clkGame");
    QWidget* title = b.widget("lblTitle");
    const QImage linesScore = b.shot(score);
    const QImage linesClock = b.shot(clock);
    const QImage titleBefore = b.shot(title);
    const QRect geometryBefore = clock->geometry();

    Settings.LEDType = std::int16_t(type);
    b.labels();

    const QList<LedReadout*> readouts = b.board->findChildren<LedReadout*>();
    QCOMPARE(readouts.size(), 11);
    for (LedReadout* r : readouts) {
        QCOMPARE(r->ledType(), type);
    }
    QCOMPARE(b.shot(score) != linesScore, dots);
    QCOMPARE(b.shot(clock) != linesClock, dots);
    QCOMPARE(clock->geometry(), geometryBefore);
    QCOMPARE(b.shot(title), titleBefore);

    // A resize applies the style again without a visible change.
    QVERIFY(b.resizeTo(632, 454));
    QVERIFY(b.resizeTo(632, 453));
    for (LedReadout* r : readouts) {
        QCOMPARE(r->ledType(), type);
    }
}

QTEST_MAIN(TestStretch)
#include "tst_stretch.moc"
