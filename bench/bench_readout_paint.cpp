// Painting cost of a score read-out at 4K size against Qt's QLCDNumber showing the same
// three digits in the same rectangle. Run with QT_QPA_PLATFORM=offscreen.

#include "components/digitpanel.h"

#include <QApplication>
#include <QImage>
#include <QLCDNumber>
#include <benchmark/benchmark.h>

namespace {

constexpr int DigitHeight = 1400;
constexpr int DesignHeight = 75; // the score read-out's design Size

// The score read-out's design paddings, scaled as the board's layout would.
int scaled(int twips) {
    return twips * DigitHeight / DesignHeight;
}

void setUpPanel(DigitPanel& panel) {
    panel.setMax(199);
    panel.setDigitSize(DigitHeight);
    panel.setPaddingH(scaled(160));
    panel.setPaddingV(scaled(90));
    panel.setPaddingI(scaled(180));
    panel.setCaption(188);
}

void setUpLcd(QLCDNumber& lcd, QSize size) {
    lcd.setDigitCount(3);
    lcd.setSegmentStyle(QLCDNumber::Filled);
    lcd.setFrameShape(QFrame::NoFrame);
    QPalette palette = lcd.palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    palette.setColor(QPalette::Window, Qt::black);
    lcd.setPalette(palette);
    lcd.setAutoFillBackground(true);
    lcd.resize(size);
    lcd.display(188);
}

// Opaque windows have an RGB32 backing store on X11 and offscreen alike.
QImage targetFor(const QWidget& widget) {
    return QImage(widget.size(), QImage::Format_RGB32);
}

void setSizeLabel(benchmark::State& state, const QWidget& widget) {
    state.SetLabel(QStringLiteral("%1x%2 px").arg(widget.width()).arg(widget.height()).toStdString());
}

// Paints the score read-out over and over; between paints, step() may change it.
template <typename Step> void paintPanel(benchmark::State& state, int ledType, Step step) {
    DigitPanel panel;
    setUpPanel(panel);
    panel.setLedType(ledType);
    QImage image = targetFor(panel);
    panel.render(&image);
    const int drawnBefore = panel.paintingsDrawn();
    for (auto _ : state) {
        step(panel);
        panel.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["redrawn"] = panel.paintingsDrawn() - drawnBefore;
    setSizeLabel(state, panel);
}

void toggleValue(DigitPanel& panel) {
    panel.setCaption(panel.caption() == 188 ? 189 : 188);
}

// A change of look invalidates the whole cached painting.
void toggleLook(DigitPanel& panel) {
    panel.setLitColor(panel.litColor() == QColor(Qt::red) ? QColor(254, 0, 0) : QColor(Qt::red));
}

// Nothing changed since the last paint: the cached painting is copied.
void BM_DigitPanelCached(benchmark::State& state) {
    paintPanel(state, DigitPanel::LinesType, [](DigitPanel&) {});
}
BENCHMARK(BM_DigitPanelCached)->Unit(benchmark::kMillisecond);

// 188 and 189 alternate: the last digit is redrawn, the rest copied from the cache.
void BM_DigitPanelValueChange(benchmark::State& state) {
    paintPanel(state, DigitPanel::LinesType, toggleValue);
}
BENCHMARK(BM_DigitPanelValueChange)->Unit(benchmark::kMillisecond);

// Every paint redraws all three places from scratch.
void BM_DigitPanelWholeRedraw(benchmark::State& state) {
    paintPanel(state, DigitPanel::LinesType, toggleLook);
}
BENCHMARK(BM_DigitPanelWholeRedraw)->Unit(benchmark::kMillisecond);

void BM_DigitPanelDotsValueChange(benchmark::State& state) {
    paintPanel(state, DigitPanel::DotsType, toggleValue);
}
BENCHMARK(BM_DigitPanelDotsValueChange)->Unit(benchmark::kMillisecond);

void BM_DigitPanelDotsWholeRedraw(benchmark::State& state) {
    paintPanel(state, DigitPanel::DotsType, toggleLook);
}
BENCHMARK(BM_DigitPanelDotsWholeRedraw)->Unit(benchmark::kMillisecond);

// QLCDNumber keeps no cache: every paint draws all its segments; 188 and 189 alternate.
void BM_QLCDNumber(benchmark::State& state) {
    DigitPanel panel;
    setUpPanel(panel);
    QLCDNumber lcd;
    setUpLcd(lcd, panel.size());
    QImage image = targetFor(lcd);
    for (auto _ : state) {
        lcd.display(lcd.intValue() == 188 ? 189 : 188);
        lcd.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    setSizeLabel(state, lcd);
}
BENCHMARK(BM_QLCDNumber)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
