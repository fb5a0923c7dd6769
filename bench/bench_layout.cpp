// The cost of the board's presentation at large sizes.
//   bench_layout [benchmark options]   relayout (StretchLayout and the label steps) and full repaints
//   bench_layout cpu [seconds]         CPU of the board per second at 3840 x 2160, both clocks running
// Run offscreen.
#include "benchutil.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

// The real board with three pictures; its resize handler runs the whole presentation.
class Board {
public:
    Board() {
        LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
        const struct {
            QString* path;
            QColor colour;
            QSize size;
        } pictures[] = {
            {&Settings.HomePic, Qt::red, {1600, 1200}},
            {&Settings.VisitorPic, Qt::blue, {800, 800}},
            {&Settings.BoardPic, Qt::green, {3000, 1000}},
        };
        int i = 0;
        for (const auto& p : pictures) {
            QImage picture(p.size, QImage::Format_RGB32);
            picture.fill(p.colour);
            *p.path = dir.filePath(QStringLiteral("picture%1.png").arg(i++));
            picture.save(*p.path);
        }
        board = std::make_unique<frmScoreBoard>(nullptr, BoardEnvironment{});
    }

    // A resize of the shown window runs its resize handler at once: StretchLayout, the
    // selection mark, UpdateLabels with the pictures and the digit style. Painting waits.
    void relayoutTo(QSize size) {
        board->setUpdatesEnabled(false);
        board->resize(size);
        board->setUpdatesEnabled(true);
    }

    QTemporaryDir dir;
    std::unique_ptr<frmScoreBoard> board;
};

void BM_Relayout(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    Board b;
    b.board->show();
    // Two sizes a few pixels apart, so every relayout really changes every element.
    const QSize other = size - QSize(16, 9);
    bool flip = false;
    std::vector<double> samples;
    for (auto _ : state) {
        const double start = nowMs();
        b.relayoutTo(flip ? other : size);
        flip = !flip;
        samples.push_back(nowMs() - start);
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
}
BENCHMARK(BM_Relayout)->Args({3840, 2160})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// Every element repainted after a relayout, read-out paintings included.
void BM_FullRepaint(benchmark::State& state) {
    const QSize size(int(state.range(0)), int(state.range(1)));
    Board b;
    b.board->show();
    // repaint() paints nothing until the window is exposed; without this wait the loop times no painting.
    if (!QTest::qWaitForWindowExposed(b.board.get())) {
        state.SkipWithError("the board window was not exposed");
        return;
    }
    const QSize other = size - QSize(16, 9);
    bool flip = false;
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        b.relayoutTo(flip ? other : size);
        flip = !flip;
        state.ResumeTiming();
        const double start = nowMs();
        b.board->repaint();
        samples.push_back(nowMs() - start);
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
}
BENCHMARK(BM_FullRepaint)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

int cpu(int seconds) {
    Board b;
    b.board->resize(3840, 2160);
    b.board->show();
    b.board->StartStopClock();
    b.board->ResetShotClock();
    const double share = cpuShareWhileRunning(seconds);
    std::printf(
        "CPU while both clocks run (3840x2160, three pictures): %.2f ms per second (%.3f%% of one core)\n",
        share * 1000.0, share * 100.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "cpu") {
        return cpu(argc > 2 ? std::max(1, std::atoi(argv[2])) : 10);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
