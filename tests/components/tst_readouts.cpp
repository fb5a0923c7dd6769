#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/dotpanel.h"
#include "support/pixels.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

using pixels::contains;

namespace {

QImage renderOf(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    widget.render(&image);
    return image;
}

// A parent that records the keys its children leave to it, as the board does.
class KeyCatcher : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
};

using Change = std::function<void(ClockPanel&)>;

} // namespace

class TestReadouts : public QObject {
    Q_OBJECT

private slots:
    void setCaptionText_data();
    void setCaptionText();
    void captionNumberAndTextAgree_data();
    void captionNumberAndTextAgree();
    void captionOutsideInt16IsIgnored();
    void propertiesByName_data();
    void propertiesByName();
    void digitRedrawsOnlyOnChange_data();
    void digitRedrawsOnlyOnChange();
    void clockRedrawsOnlyOnChange_data();
    void clockRedrawsOnlyOnChange();
    void changedDigitsLookLikeAFreshPanel_data();
    void changedDigitsLookLikeAFreshPanel();
    void changedClockLooksLikeAFreshClock_data();
    void changedClockLooksLikeAFreshClock();
    void oneChangedDigitRepaintsOnlyItsBox();
    void ledTypeOtherThanDotsDrawsLines_data();
    void ledTypeOtherThanDotsDrawsLines();
    void clearedReadoutShowsOnlyUnlitSegments();
    void frameColorDrawsFrameLine();
    void dotPanelDefaults();
    void focusEmitsFocusReceived();
    void keysGoToTheParent();
};

void TestReadouts::setCaptionText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("caption");

    // Rows that are refused leave the starting caption 7.
    QTest::newRow("12") << "12" << true << 12;
    QTest::newRow("cleared") << "-1" << true << -1;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("int16 maximum") << "32767" << true << 32767;
    QTest::newRow("int16 minimum") << "-32768" << true << -32768;
    QTest::newRow("above int16") << "32768" << false << 7;
    QTest::newRow("below int16") << "-32769" << false << 7;
    QTest::newRow("far above int16") << "99999999999999999999" << false << 7;
    QTest::newRow("empty") << "" << false << 7;
    QTest::newRow("letters") << "abc" << false << 7;
    QTest::newRow("trailing letter") << "12a" << false << 7;
    QTest::newRow("decimal") << "1.5" << false << 7;
    QTest::newRow("hex") << "0x10" << false << 7;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << false << 7;
}

void TestReadouts::setCaptionText() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(int, caption);

    DigitPanel panel;
    panel.setCaption(7);
    QSignalSpy changed(&panel, &DigitPanel::captionChanged);
    QCOMPARE(panel.setCaptionText(text), accepted);
    QCOMPARE(panel.caption(), caption);
    QCOMPARE(panel.captionText(), QString::number(caption));
    QCOMPARE(changed.count(), caption != 7 ? 1 : 0);
}

void TestReadouts::captionNumberAndTextAgree_data() {
    QTest::addColumn<int>("caption");
    QTest::addColumn<QString>("captionText");
    QTest::addColumn<QString>("shown");

    QTest::newRow("zero is shown") << 0 << u"0"_s << u"0"_s;
    QTest::newRow("cleared shows nothing") << -1 << u"-1"_s << u""_s;
    QTest::newRow("other negatives show a minus") << -2 << u"-2"_s << u"-2"_s;
    QTest::newRow("score") << 188 << u"188"_s << u"188"_s;
}

void TestReadouts::captionNumberAndTextAgree() {
    QFETCH(int, caption);
    QFETCH(QString, captionText);
    QFETCH(QString, shown);

    DigitPanel panel;
    panel.setMax(199);
    QVERIFY(panel.setProperty("Caption", caption));
    QCOMPARE(panel.property("Caption").toInt(), caption);
    QCOMPARE(panel.captionText(), captionText);
    QCOMPARE(panel.displayText(), shown);

    DigitPanel fromText;
    QVERIFY(fromText.setCaptionText(captionText));
    QCOMPARE(fromText.caption(), caption);
}

void TestReadouts::captionOutsideInt16IsIgnored() {
    DigitPanel panel;
    panel.setCaption(5);
    panel.setCaption(40000);
    QCOMPARE(panel.caption(), 5);
    panel.setCaption(-40000);
    QCOMPARE(panel.caption(), 5);
}

void TestReadouts::propertiesByName_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");

    const QVariant colour = QColor(Qt::green);
    for (const char* name : {"DigitPanel", "ClockPanel", "DotPanel"}) {
        QTest::addRow("%s LitColor", name) << name << "LitColor" << colour;
        QTest::addRow("%s BackColor", name) << name << "BackColor" << colour;
        QTest::addRow("%s LedType", name) << name << "LedType" << QVariant(1);
        QTest::addRow("%s Size", name) << name << "Size" << QVariant(33);
    }
    for (const char* name : {"DigitPanel", "ClockPanel"}) {
        QTest::addRow("%s PaddingH", name) << name << "PaddingH" << QVariant(161);
        QTest::addRow("%s PaddingV", name) << name << "PaddingV" << QVariant(91);
        QTest::addRow("%s PaddingI", name) << name << "PaddingI" << QVariant(181);
    }
    QTest::newRow("DigitPanel Caption") << u"DigitPanel"_s << u"Caption"_s << QVariant(12);
    QTest::newRow("DigitPanel Max") << u"DigitPanel"_s << u"Max"_s << QVariant(199);
    QTest::newRow("DotPanel Caption") << u"DotPanel"_s << u"Caption"_s << QVariant(3);
    QTest::newRow("ClockPanel Caption") << u"ClockPanel"_s << u"Caption"_s << QVariant(62.5f);
    QTest::newRow("ClockPanel TimeFormat")
        << u"ClockPanel"_s << u"TimeFormat"_s << QVariant(QStringLiteral("1,.1"));
    QTest::newRow("ClockPanel FrameColor") << u"ClockPanel"_s << u"FrameColor"_s << colour;
    QTest::newRow("ClockPanel PaddingD") << u"ClockPanel"_s << u"PaddingD"_s << QVariant(179);
}

// The board sets properties by name: each must exist, take its value and read it back.
void TestReadouts::propertiesByName() {
    QFETCH(QString, className);
    QFETCH(QString, property);
    QFETCH(QVariant, value);

    std::unique_ptr<QWidget> widget;
    if (className == u"DigitPanel") {
        widget = std::make_unique<DigitPanel>();
    } else if (className == u"ClockPanel") {
        widget = std::make_unique<ClockPanel>();
    } else {
        widget = std::make_unique<DotPanel>();
    }
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QVERIFY(widget->setProperty(qPrintable(property), value));
    QCOMPARE(widget->property(qPrintable(property)), value);
    // A group of read-outs would answer Count; a single read-out must not.
    QVERIFY(!widget->property("Count").isValid());
}

void TestReadouts::digitRedrawsOnlyOnChange_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("redrawn");

    QTest::newRow("same caption") << "Caption" << QVariant(5) << false;
    QTest::newRow("new caption") << "Caption" << QVariant(6) << true;
    QTest::newRow("cleared") << "Caption" << QVariant(-1) << true;
    QTest::newRow("same lit colour") << "LitColor" << QVariant(QColor(Qt::red)) << false;
    QTest::newRow("new lit colour") << "LitColor" << QVariant(QColor(Qt::green)) << true;
    QTest::newRow("same back colour") << "BackColor" << QVariant(QColor(Qt::black)) << false;
    QTest::newRow("new back colour") << "BackColor" << QVariant(QColor(Qt::blue)) << true;
    QTest::newRow("LedType -1 looks like 0") << "LedType" << QVariant(-1) << false;
    QTest::newRow("LedType dots") << "LedType" << QVariant(1) << true;
    QTest::newRow("same size") << "Size" << QVariant(60) << false;
    QTest::newRow("new size") << "Size" << QVariant(61) << true;
    QTest::newRow("same padding") << "PaddingH" << QVariant(90) << false;
    QTest::newRow("new padding") << "PaddingH" << QVariant(91) << true;
    QTest::newRow("same max") << "Max" << QVariant(9) << false;
    QTest::newRow("new max") << "Max" << QVariant(99) << true;
}

void TestReadouts::digitRedrawsOnlyOnChange() {
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(bool, redrawn);

    DigitPanel panel;
    panel.setDigitSize(60);
    panel.setPaddingH(90);
    panel.setCaption(5);
    panel.setLitColor(Qt::red);
    panel.setBackColor(Qt::black);
    renderOf(panel);
    const int before = panel.paintingsDrawn();
    renderOf(panel);
    QCOMPARE(panel.paintingsDrawn(), before); // a plain repaint copies the cache

    // The board writes 20 times a second: write the value many times.
    for (int i = 0; i < 20; ++i) {
        QVERIFY(panel.setProperty(qPrintable(property), value));
    }
    renderOf(panel);
    QCOMPARE(panel.paintingsDrawn(), before + (redrawn ? 1 : 0));
}

void TestReadouts::clockRedrawsOnlyOnChange_data() {
    QTest::addColumn<float>("caption");
    QTest::addColumn<QString>("format");
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("redrawn");

    const QString minutes = ClockPanel::MinutesFormat;
    const QString tenths = ClockPanel::TenthsFormat;
    const auto row = [](const char* name, float caption, const QString& format, bool redrawn, Change change) {
        QTest::newRow(name) << caption << format << change << redrawn;
    };
    row("same caption and format", 600.0f, minutes, false, [](ClockPanel& c) {
        c.setTimeFormat(ClockPanel::MinutesFormat);
        c.setCaption(600);
    });
    row("time moves within the shown second", 61.2f, minutes, false,
        [](ClockPanel& c) { c.setCaption(61.15f); });
    row("time moves within the shown tenth", 59.9f, tenths, false,
        [](ClockPanel& c) { c.setCaption(59.85f); });
    row("next second", 62.0f, minutes, true, [](ClockPanel& c) { c.setCaption(61.0f); });
    row("next tenth", 59.9f, tenths, true, [](ClockPanel& c) { c.setCaption(59.8f); });
    row("format switch", 59.0f, minutes, true,
        [](ClockPanel& c) { c.setTimeFormat(ClockPanel::TenthsFormat); });
    row("same frame colour", 600.0f, minutes, false, [](ClockPanel& c) { c.setFrameColor(Qt::white); });
    row("new frame colour", 600.0f, minutes, true, [](ClockPanel& c) { c.setFrameColor(Qt::yellow); });
    row("new separator padding", 600.0f, minutes, true, [](ClockPanel& c) { c.setPaddingD(90); });
}

void TestReadouts::clockRedrawsOnlyOnChange() {
    QFETCH(float, caption);
    QFETCH(QString, format);
    QFETCH(Change, change);
    QFETCH(bool, redrawn);

    ClockPanel clock;
    clock.setFrameColor(Qt::white);
    clock.setTimeFormat(format);
    clock.setCaption(caption);
    renderOf(clock);
    const int before = clock.paintingsDrawn();
    for (int i = 0; i < 20; ++i) {
        change(clock);
    }
    renderOf(clock);
    QCOMPARE(clock.paintingsDrawn(), before + (redrawn ? 1 : 0));
}

// A change of value redraws only the digits that changed; the result must be exactly
// what a read-out showing the new value from the start paints.
void TestReadouts::changedDigitsLookLikeAFreshPanel_data() {
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("ledType");
    QTest::addColumn<QList<int>>("captions");

    QTest::newRow("last digit") << 199 << 0 << QList<int>{188, 189};
    QTest::newRow("last digit, dots") << 199 << 1 << QList<int>{188, 189};
    QTest::newRow("half place lights") << 199 << 0 << QList<int>{99, 100};
    QTest::newRow("half place goes dark") << 199 << 1 << QList<int>{100, 99};
    QTest::newRow("from cleared") << 99 << 0 << QList<int>{-1, 24};
    QTest::newRow("to cleared") << 99 << 1 << QList<int>{24, -1};
    QTest::newRow("into squeezed") << 19 << 0 << QList<int>{12, 25};
    QTest::newRow("out of squeezed") << 19 << 1 << QList<int>{25, 12};
    QTest::newRow("several changes before a paint") << 199 << 0 << QList<int>{111, 112, 122, 121};
    QTest::newRow("back to where it was") << 99 << 0 << QList<int>{35, 34, 35};
}

void TestReadouts::changedDigitsLookLikeAFreshPanel() {
    QFETCH(int, max);
    QFETCH(int, ledType);
    QFETCH(QList<int>, captions);

    DigitPanel changed;
    changed.setMax(max);
    changed.setLedType(ledType);
    changed.setCaption(captions.front());
    renderOf(changed);
    // Every value but the last is painted, the last ones pile up unpainted.
    for (qsizetype i = 1; i < captions.size(); ++i) {
        changed.setCaption(captions[i]);
        if (i + 1 < captions.size() && i % 2 == 0) {
            renderOf(changed);
        }
    }

    DigitPanel fresh;
    fresh.setMax(max);
    fresh.setLedType(ledType);
    fresh.setCaption(captions.back());
    QCOMPARE(renderOf(changed), renderOf(fresh));
}

void TestReadouts::changedClockLooksLikeAFreshClock_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QList<float>>("captions");

    QTest::newRow("seconds tick") << ClockPanel::MinutesFormat << QList<float>{62, 61};
    QTest::newRow("minute rolls over") << ClockPanel::MinutesFormat << QList<float>{600, 599};
    QTest::newRow("leading minute goes dark") << ClockPanel::MinutesFormat << QList<float>{600, 540};
    QTest::newRow("tenths tick") << ClockPanel::TenthsFormat << QList<float>{59.9f, 59.8f};
    QTest::newRow("into three-digit minutes") << ClockPanel::MinutesFormat << QList<float>{5999, 6000};
}

void TestReadouts::changedClockLooksLikeAFreshClock() {
    QFETCH(QString, format);
    QFETCH(QList<float>, captions);

    ClockPanel changed;
    changed.setFrameColor(Qt::white);
    changed.setTimeFormat(format);
    changed.setCaption(captions.front());
    renderOf(changed);
    changed.setCaption(captions.back());

    ClockPanel fresh;
    fresh.setFrameColor(Qt::white);
    fresh.setTimeFormat(format);
    fresh.setCaption(captions.back());
    QCOMPARE(renderOf(changed), renderOf(fresh));
}

void TestReadouts::oneChangedDigitRepaintsOnlyItsBox() {
    DigitPanel panel;
    panel.setMax(199);
    panel.setCaption(188);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));

    struct PaintWatch : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                painted += static_cast<QPaintEvent*>(event)->region();
            }
            return false;
        }
    } watch;
    panel.installEventFilter(&watch);
    panel.setCaption(189);
    QTRY_VERIFY(!watch.painted.isEmpty());
    // The last of three places, not the whole read-out.
    QVERIFY2(watch.painted.boundingRect().left() > panel.width() / 2,
             qPrintable(QStringLiteral("painted from x %1 of %2")
                            .arg(watch.painted.boundingRect().left())
                            .arg(panel.width())));
}

void TestReadouts::ledTypeOtherThanDotsDrawsLines_data() {
    QTest::addColumn<int>("ledType");
    QTest::addColumn<bool>("likeLines");

    QTest::newRow("0 lines") << 0 << true;
    QTest::newRow("-1") << -1 << true;
    QTest::newRow("2") << 2 << true;
    QTest::newRow("1 dots") << 1 << false;
}

void TestReadouts::ledTypeOtherThanDotsDrawsLines() {
    QFETCH(int, ledType);
    QFETCH(bool, likeLines);

    DigitPanel lines;
    lines.setCaption(8);
    const QImage reference = renderOf(lines);

    DigitPanel panel;
    panel.setCaption(8);
    panel.setLedType(ledType);
    QCOMPARE(panel.ledType(), ledType);
    QCOMPARE(renderOf(panel) == reference, likeLines);
}

// Real LED boards show their dark segments faintly; a cleared read-out is all dark.
void TestReadouts::clearedReadoutShowsOnlyUnlitSegments() {
    DigitPanel panel;
    panel.setMax(199);
    panel.setLitColor(QColor(255, 0, 0));
    panel.setBackColor(QColor(0, 0, 0));

    panel.setCaption(188);
    QVERIFY(contains(renderOf(panel), qRgb(255, 0, 0)));

    panel.setCaption(-1);
    const QImage cleared = renderOf(panel);
    QVERIFY(!contains(cleared, qRgb(255, 0, 0)));
    QVERIFY(contains(cleared, qRgb(0, 0, 0)));
    // 12% red over black.
    QVERIFY(contains(cleared, qRgb(31, 0, 0)));
}

void TestReadouts::frameColorDrawsFrameLine() {
    ClockPanel clock;
    clock.setBackColor(Qt::black);
    QCOMPARE(renderOf(clock).pixel(0, 0), qRgb(0, 0, 0));

    clock.setFrameColor(QColor(0, 0, 255));
    const QImage framed = renderOf(clock);
    QCOMPARE(framed.pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(framed.pixel(clock.width() - 1, clock.height() / 2), qRgb(0, 0, 255));
    QCOMPARE(framed.pixel(clock.width() / 2, clock.height() - 1), qRgb(0, 0, 255));
}

void TestReadouts::dotPanelDefaults() {
    DotPanel preview;
    QCOMPARE(preview.displayText(), u"8");
    // One 65-pixel digit, no paddings: 65 * 9 / 16 = 36.6 wide.
    QCOMPARE(preview.size(), QSize(37, 65));
}

void TestReadouts::focusEmitsFocusReceived() {
    QWidget window;
    auto* home = new DigitPanel(&window);
    auto* clock = new ClockPanel(&window);
    clock->move(0, 100);
    QCOMPARE(home->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(clock->focusPolicy(), Qt::StrongFocus);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    clock->setFocus(); // the window may have given the first read-out the focus already
    QSignalSpy homeFocus(home, &LedReadout::focusReceived);
    QSignalSpy clockFocus(clock, &LedReadout::focusReceived);
    home->setFocus(Qt::MouseFocusReason);
    QCOMPARE(homeFocus.count(), 1);
    QTest::keyClick(home, Qt::Key_Tab);
    QVERIFY(clock->hasFocus());
    QCOMPARE(clockFocus.count(), 1);
}

void TestReadouts::keysGoToTheParent() {
    KeyCatcher board;
    auto* panel = new DigitPanel(&board);
    panel->setCaption(3);
    board.show();
    QApplication::setActiveWindow(&board);
    QVERIFY(QTest::qWaitForWindowActive(&board));
    panel->setFocus();

    QTest::keyClick(panel, Qt::Key_5);
    QTest::keyClick(panel, Qt::Key_Return);
    QTest::keyClick(panel, Qt::Key_Up);
    QCOMPARE(board.keys, QList<int>({Qt::Key_5, Qt::Key_Return, Qt::Key_Up}));
    QCOMPARE(panel->caption(), 3);
}

QTEST_MAIN(TestReadouts)
#include "tst_readouts.moc"
