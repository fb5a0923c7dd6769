#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"
#include "components/ledgeometry.h"
#include "platform/twips.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

using led::SlotKind;

namespace {

// "H" a half place, "D" a digit, ":" a separator.
QString describePlaces(const std::vector<SlotKind>& places) {
    QString text;
    for (const SlotKind kind : places) {
        text += kind == SlotKind::HalfDigit ? u'H' : kind == SlotKind::Digit ? u'D' : u':';
    }
    return text;
}

// Each cell's character, "|" between cells; "~" marks a squeezed (narrowed) digit.
QString describeCells(const std::vector<led::Cell>& cells, const led::Metrics& m) {
    QStringList parts;
    for (const led::Cell& cell : cells) {
        const bool squeezed = cell.kind == SlotKind::Digit && cell.rect.width() < m.digitWidth() - 1e-9;
        parts << QString(cell.ch) + (squeezed ? QStringLiteral("~") : QString());
    }
    return parts.join(u'|');
}

led::Metrics designMetrics() {
    // The score read-out's design: Size 75, paddings 160 / 90 / 180 twips.
    return {75, twips::toPixelsF(160), twips::toPixelsF(90), twips::toPixelsF(180), twips::toPixelsF(180)};
}

} // namespace

class TestReadoutLayout : public QObject {
    Q_OBJECT

private slots:
    void designRectangles_data();
    void designRectangles();
    void resizesItselfWhenScaled_data();
    void resizesItselfWhenScaled();
    void placesForMax_data();
    void placesForMax();
    void numberLayout_data();
    void numberLayout();
    void clockLayout_data();
    void clockLayout();
    void squeezedTextStaysInside_data();
    void squeezedTextStaysInside();
    void formatText_data();
    void formatText();
};

void TestReadoutLayout::designRectangles_data() {
    QTest::addColumn<bool>("clock");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("padH");
    QTest::addColumn<int>("padV");
    QTest::addColumn<int>("padI");
    QTest::addColumn<int>("padD");
    QTest::addColumn<int>("max");
    QTest::addColumn<QSize>("designTwips");

    QTest::newRow("digHome") << false << 75 << 160 << 90 << 180 << 0 << 199 << QSize(2085, 1305);
    QTest::newRow("digVisitor") << false << 75 << 160 << 90 << 180 << 0 << 199 << QSize(2085, 1305);
    QTest::newRow("digFoulsH") << false << 60 << 160 << 90 << 180 << 0 << 19 << QSize(1125, 1095);
    QTest::newRow("digFoulsV") << false << 60 << 160 << 90 << 180 << 0 << 19 << QSize(1125, 1095);
    QTest::newRow("digTimeoutsH") << false << 60 << 160 << 90 << 180 << 0 << 9 << QSize(825, 1095);
    QTest::newRow("digTimeoutsV") << false << 60 << 160 << 90 << 180 << 0 << 9 << QSize(825, 1095);
    QTest::newRow("digPlayerFoul") << false << 60 << 160 << 90 << 180 << 0 << 99 << QSize(1515, 1095);
    QTest::newRow("digFouls") << false << 60 << 160 << 90 << 180 << 0 << 9 << QSize(825, 1095);
    QTest::newRow("digPeriod") << false << 60 << 90 << 90 << 90 << 0 << 9 << QSize(690, 1095);
    QTest::newRow("digShotClock") << false << 60 << 90 << 90 << 90 << 0 << 99 << QSize(1290, 1095);
    QTest::newRow("clkGame") << true << 80 << 150 << 90 << 175 << 180 << 0 << QSize(3855, 1365);
}

void TestReadoutLayout::designRectangles() {
    QFETCH(bool, clock);
    QFETCH(int, size);
    QFETCH(int, padH);
    QFETCH(int, padV);
    QFETCH(int, padI);
    QFETCH(int, padD);
    QFETCH(int, max);
    QFETCH(QSize, designTwips);

    std::unique_ptr<LedReadout> readout;
    if (clock) {
        auto panel = std::make_unique<ClockPanel>();
        panel->setPaddingD(padD);
        readout = std::move(panel);
    } else {
        auto panel = std::make_unique<DigitPanel>();
        panel->setMax(max);
        readout = std::move(panel);
    }
    // Set by name, as the board's layout does.
    QVERIFY(readout->setProperty("Size", size));
    QVERIFY(readout->setProperty("PaddingH", padH));
    QVERIFY(readout->setProperty("PaddingV", padV));
    QVERIFY(readout->setProperty("PaddingI", padI));

    const QSize design = twips::toPixels(designTwips);
    QCOMPARE(readout->size(), readout->sizeHint());
    QVERIFY2(
        std::abs(readout->width() - design.width()) <= 1,
        qPrintable(QStringLiteral("width %1 px, design %2 px").arg(readout->width()).arg(design.width())));
    QVERIFY2(
        std::abs(readout->height() - design.height()) <= 1,
        qPrintable(QStringLiteral("height %1 px, design %2 px").arg(readout->height()).arg(design.height())));
}

void TestReadoutLayout::resizesItselfWhenScaled_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("value");
    QTest::addColumn<QSize>("expected");

    // From Size 60, paddings 90 twips (6 px), Max 9: 12 + 33.75 wide, 12 + 60 high.
    QTest::newRow("default") << QString() << 0 << QSize(46, 72);
    QTest::newRow("double size") << "Size" << 120 << QSize(80, 132);
    QTest::newRow("wider sides") << "PaddingH" << 180 << QSize(58, 72);
    QTest::newRow("taller top and bottom") << "PaddingV" << 180 << QSize(46, 84);
    QTest::newRow("two places") << "Max" << 99 << QSize(86, 72);
    QTest::newRow("half place") << "Max" << 19 << QSize(59, 72);
    QTest::newRow("inner padding with one place") << "PaddingI" << 900 << QSize(46, 72);
    QTest::newRow("negative size draws nothing") << "Size" << -5 << QSize(12, 12);
}

void TestReadoutLayout::resizesItselfWhenScaled() {
    QFETCH(QString, property);
    QFETCH(int, value);
    QFETCH(QSize, expected);

    DigitPanel panel;
    panel.setDigitSize(60);
    if (!property.isEmpty()) {
        QVERIFY(panel.setProperty(qPrintable(property), value));
    }
    QCOMPARE(panel.size(), expected);
}

void TestReadoutLayout::placesForMax_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("places");

    QTest::newRow("9") << 9 << "D";
    QTest::newRow("99") << 99 << "DD";
    QTest::newRow("19") << 19 << "HD";
    QTest::newRow("199") << 199 << "HDD";
    QTest::newRow("10") << 10 << "HD";
    QTest::newRow("200") << 200 << "DDD";
    QTest::newRow("1") << 1 << "D";
    QTest::newRow("0") << 0 << "D";
    QTest::newRow("negative") << -5 << "D";
    QTest::newRow("int16 maximum") << 32767 << "DDDDD";
}

void TestReadoutLayout::placesForMax() {
    QFETCH(int, max);
    QFETCH(QString, places);
    QCOMPARE(describePlaces(led::placesForMax(max)), places);
}

void TestReadoutLayout::numberLayout_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cells");

    QTest::newRow("score 188") << 199 << u"188"_s << u"1|8|8"_s;
    QTest::newRow("score 5") << 199 << u"5"_s << u" | |5"_s;
    QTest::newRow("score 42") << 199 << u"42"_s << u" |4|2"_s;
    QTest::newRow("cleared score") << 199 << u""_s << u" | | "_s;
    QTest::newRow("score 200 squeezed") << 199 << u"200"_s << u"2~|0~|0~"_s;
    QTest::newRow("fouls 12 uses the half place") << 19 << u"12"_s << u"1|2"_s;
    QTest::newRow("fouls 25 squeezed") << 19 << u"25"_s << u"2~|5~"_s;
    QTest::newRow("fouls -1 squeezed") << 19 << u"-1"_s << u"-~|1~"_s;
    QTest::newRow("one place, -5 squeezed") << 9 << u"-5"_s << u"-~|5~"_s;
    QTest::newRow("two places, -5 fits") << 99 << u"-5"_s << u"-|5"_s;
    QTest::newRow("shot clock 100 squeezed") << 99 << u"100"_s << u"1~|0~|0~"_s;
    QTest::newRow("int16 minimum") << 9 << u"-32768"_s << u"-~|3~|2~|7~|6~|8~"_s;
}

void TestReadoutLayout::numberLayout() {
    QFETCH(int, max);
    QFETCH(QString, text);
    QFETCH(QString, cells);
    const led::Metrics m = designMetrics();
    QCOMPARE(describeCells(led::layoutText(text, led::placesForMax(max), m), m), cells);
}

void TestReadoutLayout::clockLayout_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cells");

    QTest::newRow("10:00") << u"10:00"_s << u"1|0|:|0|0"_s;
    QTest::newRow("1:02 leaves the first place dark") << u" 1:02"_s << u" |1|:|0|2"_s;
    QTest::newRow("seconds and tenths") << u"59.9"_s << u"5|9|.|9| "_s;
    QTest::newRow("last tenth") << u"0.1"_s << u" |0|.|1| "_s;
    QTest::newRow("three-digit minutes squeezed") << u"100:00"_s << u"1~|0~|0~|:|0|0"_s;
    QTest::newRow("negative tenths squeezed") << u"-10.5"_s << u"-~|1~|0~|.|5| "_s;
    QTest::newRow("nothing to show") << u""_s << u" | | | | "_s;
}

void TestReadoutLayout::clockLayout() {
    QFETCH(QString, text);
    QFETCH(QString, cells);
    const led::Metrics m = designMetrics();
    QCOMPARE(describeCells(led::layoutText(text, led::clockPlaces(), m), m), cells);
}

// However long the text, every character is drawn and all of them stay within the
// places, at full height: nothing is dropped or spills over the paddings.
void TestReadoutLayout::squeezedTextStaysInside_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("text");

    QTest::newRow("25 on a 19 panel") << 19 << "25";
    QTest::newRow("99 on a 9 panel") << 9 << "99";
    QTest::newRow("-32768 on a 199 panel") << 199 << "-32768";
    QTest::newRow("-1 on a 9 panel") << 9 << "-1";
}

void TestReadoutLayout::squeezedTextStaysInside() {
    QFETCH(int, max);
    QFETCH(QString, text);
    const led::Metrics m = designMetrics();
    const auto places = led::placesForMax(max);
    const QSizeF size = led::readoutSize(places, m);
    const QRectF inner(m.padH, m.padV, size.width() - 2 * m.padH, m.digitHeight);
    const auto cells = led::layoutText(text, places, m);

    QString drawn;
    double lastRight = -1;
    for (const led::Cell& cell : cells) {
        drawn += cell.ch;
        QVERIFY(inner.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(cell.rect));
        QCOMPARE(cell.rect.height(), m.digitHeight);
        QVERIFY(cell.rect.left() >= lastRight); // no overlap
        lastRight = cell.rect.right();
    }
    QCOMPARE(drawn, text);
}

void TestReadoutLayout::formatText_data() {
    QTest::addColumn<float>("caption");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");

    const QString minutes = ClockPanel::MinutesFormat;
    const QString tenths = ClockPanel::TenthsFormat;
    QTest::newRow("10:00") << 600.0f << minutes << u"10:00"_s;
    QTest::newRow("1:02") << 62.0f << minutes << u" 1:02"_s;
    QTest::newRow("0:00") << 0.0f << minutes << u" 0:00"_s;
    QTest::newRow("time of day 23:59") << 1439.0f << minutes << u"23:59"_s;
    QTest::newRow("time of day 0:05") << 5.0f << minutes << u" 0:05"_s;
    QTest::newRow("99:59 largest typed time") << 5999.0f << minutes << u"99:59"_s;
    QTest::newRow("minutes round up") << 61.2f << minutes << u" 1:02"_s;
    QTest::newRow("a hair over a minute") << 60.0001f << minutes << u" 1:01"_s;
    QTest::newRow("float noise below a whole second") << 59.99999f << minutes << u" 1:00"_s;
    QTest::newRow("100 minutes") << 6000.0f << minutes << u"100:00"_s;
    QTest::newRow("negative minutes") << -62.0f << minutes << u"-1:02"_s;
    QTest::newRow("unknown format reads as minutes") << 62.0f << u"x"_s << u" 1:02"_s;

    QTest::newRow("59.9 is not 60.0") << 59.9f << tenths << u"59.9"_s;
    QTest::newRow("0.05 rounds up") << 0.05f << tenths << u"0.1"_s;
    QTest::newRow("0.01 rounds up") << 0.01f << tenths << u"0.1"_s;
    QTest::newRow("0 exactly") << 0.0f << tenths << u"0.0"_s;
    QTest::newRow("negative zero") << -0.0f << tenths << u"0.0"_s;
    QTest::newRow("0.0001 still shows time left") << 0.0001f << tenths << u"0.1"_s;
    QTest::newRow("24.5 typed") << 24.5f << tenths << u"24.5"_s;
    QTest::newRow("59.85 rounds up") << 59.85f << tenths << u"59.9"_s;
    QTest::newRow("59.91 rounds up to a minute") << 59.91f << tenths << u"60.0"_s;
    QTest::newRow("9.95 rounds up") << 9.95f << tenths << u"10.0"_s;
    QTest::newRow("0.3 float noise") << 0.3f << tenths << u"0.3"_s;
    QTest::newRow("below zero") << -0.5f << tenths << u"-0.5"_s;
    QTest::newRow("just below zero shows zero") << -0.05f << tenths << u"0.0"_s;
    QTest::newRow("120.5") << 120.5f << tenths << u"120.5"_s;

    QTest::newRow("not a number") << std::nanf("") << minutes << u""_s;
    QTest::newRow("infinity") << std::numeric_limits<float>::infinity() << tenths << u""_s;
}

void TestReadoutLayout::formatText() {
    QFETCH(float, caption);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(ClockPanel::formatText(caption, format), text);
}

QTEST_MAIN(TestReadoutLayout)
#include "tst_readoutlayout.moc"
