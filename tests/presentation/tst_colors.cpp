#include "components/boardshape.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "platform/rgbcolor.h"
#include "presentedboard.h"
#include "support/pixels.h"

#include <QLabel>
#include <QtTest>
#include <array>

using namespace pixels;

namespace {

// Small text and thin round outlines are smoothed: their colour is found within this much.
constexpr int Smoothed = 40;

// What the audience sees of an element: its lit digits, its background or its text and outline.
enum class Where { Lit, Background, Drawn };

} // namespace

Q_DECLARE_METATYPE(Where)

class TestColors : public QObject {
    Q_OBJECT

private slots:
    void defaultScheme_data();
    void defaultScheme();
    void borderColorLeavesTeamNames_data();
    void borderColorLeavesTeamNames();
    void everyColourHasItsPlace();
    void skipListMatchesWholeNames();
};

void TestColors::defaultScheme_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<Where>("where");
    QTest::addColumn<int>("colour");
    QTest::newRow("game clock digits") << "clkGame" << Where::Lit << 33023;
    QTest::newRow("shot clock digits") << "digShotClock" << Where::Lit << 33023;
    QTest::newRow("home score digits") << "digHome" << Where::Lit << 255;
    QTest::newRow("visitor score digits") << "digVisitor" << Where::Lit << 255;
    QTest::newRow("player digits") << "digPlayerFoul" << Where::Lit << 255;
    QTest::newRow("player fouls digits") << "digFouls" << Where::Lit << 255;
    QTest::newRow("period digits") << "digPeriod" << Where::Lit << 49152;
    QTest::newRow("home timeouts digits") << "digTimeoutsH" << Where::Lit << 49152;
    QTest::newRow("visitor team fouls digits") << "digFoulsV" << Where::Lit << 49152;
    QTest::newRow("game clock background") << "clkGame" << Where::Background << 0;
    QTest::newRow("score background") << "digHome" << Where::Background << 0;
    QTest::newRow("period background") << "digPeriod" << Where::Background << 0;
    QTest::newRow("window") << "frmScoreBoard" << Where::Background << 4210752;
    QTest::newRow("picture frame") << "picBoardPicContainer" << Where::Background << 4210752;
    QTest::newRow("team name box") << "picHomeContainer" << Where::Background << 4210752;
    QTest::newRow("title") << "lblTitle" << Where::Drawn << 16777215;
    QTest::newRow("caption") << "lblShotClock" << Where::Drawn << 16777215;
    QTest::newRow("credit") << "lblCreatedBy" << Where::Drawn << 16777215;
    QTest::newRow("clock frame") << "Shape1" << Where::Drawn << 16777215;
    QTest::newRow("board frame") << "Shape3" << Where::Drawn << 16777215;
    QTest::newRow("home team name") << "lblHome" << Where::Drawn << 16777215;
    QTest::newRow("visitor team name") << "lblVisitor" << Where::Drawn << 16777215;
    QTest::newRow("game clock frame line") << "clkGame" << Where::Drawn << 16777215;
}

void TestColors::defaultScheme() {
    QFETCH(QString, element);
    QFETCH(Where, where);
    QFETCH(int, colour);
    PresentedBoard b;
    QWidget* w = element == QLatin1String("frmScoreBoard") ? b.board.get() : b.widget(qPrintable(element));
    QVERIFY(w);
    const QImage image = b.shot(w);
    switch (where) {
    case Where::Lit:
        QVERIFY(contains(image, rgbOf(colour)));
        break;
    case Where::Drawn:
        QVERIFY(contains(image, rgbOf(colour), Smoothed));
        break;
    case Where::Background:
        // A spot just inside the corner, past any frame line.
        QCOMPARE(image.pixel(2, 2) | 0xFF000000u, rgbOf(colour) | 0xFF000000u);
        break;
    }
}

void TestColors::borderColorLeavesTeamNames_data() {
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("recoloured");
    for (const char* caption :
         {"lblTitle", "lblPeriod", "lblShotClock", "lblBonusH", "lblBonusV", "lblFoulsH", "lblFoulsV",
          "lblTimeoutsH", "lblTimeoutsV", "lblPlayerFouls", "lblCreatedBy"}) {
        QTest::newRow(caption) << caption << true;
    }
    QTest::newRow("Shape1") << "Shape1" << true;
    QTest::newRow("Shape3") << "Shape3" << true;
    QTest::newRow("clkGame") << "clkGame" << true;
    QTest::newRow("lblHome") << "lblHome" << false;
    QTest::newRow("lblVisitor") << "lblVisitor" << false;
    QTest::newRow("lblPossH") << "lblPossH" << false;
    QTest::newRow("digHome") << "digHome" << false;
}

void TestColors::borderColorLeavesTeamNames() {
    QFETCH(QString, element);
    QFETCH(bool, recoloured);
    PresentedBoard b;
    constexpr std::int32_t Yellow = 0x00FFFF;
    Settings.BorderColor = Yellow;
    b.colours();
    const QImage image = b.shot(b.widget(qPrintable(element)));
    QCOMPARE(contains(image, rgbOf(Yellow), Smoothed), recoloured);
    if (element == QLatin1String("lblHome") || element == QLatin1String("lblVisitor")) {
        QVERIFY(contains(image, rgbOf(16777215)));
    }
}

void TestColors::everyColourHasItsPlace() {
    PresentedBoard b;
    // Nine colours no default uses, far enough apart that smoothing never turns one into another.
    const std::array<std::int32_t, 9> colours = {0x642828, 0x00A0FF, 0xA000FF, 0xA0FF00, 0x003C00,
                                                 0xFF00A0, 0x00FFFF, 0xFFC800, 0xFF78C8};
    std::int32_t* fields[] = {&Settings.FormBack,    &Settings.TimeColor, &Settings.ScoreColor,
                              &Settings.PeriodColor, &Settings.LEDBack,   &Settings.LEDSelected,
                              &Settings.BorderColor, &Settings.HomeColor, &Settings.VisitorColor};
    for (std::size_t i = 0; i < colours.size(); ++i) {
        *fields[i] = colours[i];
    }
    b.colours();
    b.focus("digHome"); // shows the marker
    // The board shows all nine.
    const QImage board = b.shot();
    for (std::int32_t c : colours) {
        QVERIFY2(contains(board, rgbOf(c), Smoothed), qPrintable(QString::number(c, 16)));
    }
}

void TestColors::skipListMatchesWholeNames() {
    PresentedBoard b;
    SettingsRecord s = Settings;
    s.BorderColor = 0x0000FF;
    s.LEDBack = 0x00FF00;
    // "lblFouls" is part of two captions' names but no whole name: neither is skipped.
    modColor::ColorByType(*b.board, {QStringLiteral("lblFouls"), QStringLiteral("shpBonusV")}, s);
    QCOMPARE(b.widget("lblFoulsH")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(b.widget("lblFoulsV")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // One name skips both lights of an array; the other array is coloured.
    for (BoardShape* light : b.board->findChildren<BoardShape*>(QStringLiteral("shpBonusV"))) {
        QCOMPARE(light->borderColor(), rgbcolor::toQColor(Settings.LEDBack));
    }
    for (BoardShape* light : b.board->findChildren<BoardShape*>(QStringLiteral("shpBonusH"))) {
        QCOMPARE(light->borderColor(), QColor(0, 255, 0));
    }
    // Read-outs are no kind it colours; a group of them is coloured member by member.
    QCOMPARE(b.field("digHome")->backColor(), rgbcolor::toQColor(Settings.LEDBack));
    const std::array<LedReadout*, 3> group = {b.field("digTimeoutsH"), nullptr, b.field("digTimeoutsV")};
    modColor::ColorReadout(group, 0x0000FF, 0xFFFFFF);
    QCOMPARE(b.shot(group[2]).pixel(2, 2), qRgb(255, 255, 255));
    QVERIFY(contains(b.shot(group[0]), qRgb(255, 0, 0)));
}

QTEST_MAIN(TestColors)
#include "tst_colors.moc"
