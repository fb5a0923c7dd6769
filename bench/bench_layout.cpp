// The cost of the board's presentation at large sizes.
//   bench_layout [benchmark options]   relayout (StretchLayout and the label steps) and full repaints
//   bench_layout cpu [seconds]         CPU of the board per second at 3840 x 2160, both clocks running
// Run offscreen. The board is wired the way its load and resize handlers call the presentation.
#include "benchutil.h"
#include "components/imagebox.h"
#include "presentation/colors.h"
#include "presentation/fitpicture.h"
#include "presentation/stretch.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The real board with pictures and the presentation run on every resize.
class Board : public QObject {
public:
    Board() {
        BoardEnvironment env;
        board = std::make_unique<frmScoreBoard>(nullptr, env);
        const struct {
            const char* image;
            const char* frame;
            QColor colour;
            QSize size;
        } pictures[] = {
            {"imgHomePic", "picHomePicContainer", Qt::red, {1600, 1200}},
            {"imgVisitorPic", "picVisitorPicContainer", Qt::blue, {800, 800}},
            {"imgBoardPic", "picBoardPicContainer", Qt::green, {3000, 1000}},
        };
        QString* paths[] = {&Settings.HomePic, &Settings.VisitorPic, &Settings.BoardPic};
        for (std::size_t i = 0; i < 3; ++i) {
            const auto& p = pictures[i];
            delete board->findChild<QLabel*>(QLatin1String(p.image));
            QWidget* frame = board->findChild<QWidget*>(QLatin1String(p.frame));
            auto* image = new ImageBox(frame);
            image->setObjectName(QLatin1String(p.image));
            images[i] = {image, frame};
            QImage picture(p.size, QImage::Format_RGB32);
            picture.fill(p.colour);
            *paths[i] = dir.filePath(QStringLiteral("picture%1.png").arg(i));
            picture.save(*paths[i]);
        }
        layout.RecordLayout(*board);
        labels();
        modColor::UpdateFormColors(*board, Settings);
        board->UpdatePoss();
        board->UpdateBonus();
        board->installEventFilter(this);
    }

    // What the board's resize handler runs.
    void relayout() {
        layout.StretchLayout(*board);
        board->ObjectSelected(nullptr);
        labels();
    }

    void labels() {
        board->UpdateLabels();
        const QString* paths[] = {&Settings.HomePic, &Settings.VisitorPic, &Settings.BoardPic};
        for (std::size_t i = 0; i < 3; ++i) {
            modGrabKeys::FitPicture(*images[i].first, *images[i].second, *paths[i]);
        }
        modStretch::SetLedType(*board, Settings.LEDType);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == board.get() && event->type() == QEvent::Resize) {
            relayout();
        }
        return false;
    }

    // Resizes without the window system, so the relayout can be timed on its own.
    void setSize(QSize size) {
        board->setUpdatesEnabled(false);
        board->removeEventFilter(this);
        board->resize(size);
        QCoreApplication::processEvents();
        board->installEventFilter(this);
        board->setUpdatesEnabled(true);
    }

    QTemporaryDir dir;
    std::unique_ptr<frmScoreBoard> board;
    modStretch::BoardLayout layout;
    std::pair<ImageBox*, QWidget*> images[3] = {};
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
        state.PauseTiming();
        b.setSize(flip ? other : size);
        flip = !flip;
        state.ResumeTiming();
        const double start = nowMs();
        b.relayout();
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
    const QSize other = size - QSize(16, 9);
    bool flip = false;
    std::vector<double> samples;
    for (auto _ : state) {
        state.PauseTiming();
        b.setSize(flip ? other : size);
        b.relayout();
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
    const auto runFor = [](double ms) {
        QEventLoop loop;
        QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
        loop.exec();
    };
    runFor(500); // settle
    const double cpuStart = cpuSeconds();
    const double wallStart = nowMs();
    runFor(seconds * 1000.0);
    const double used = cpuSeconds() - cpuStart;
    const double wall = (nowMs() - wallStart) / 1000.0;
    std::printf(
        "CPU while both clocks run (3840x2160, three pictures): %.2f ms per second (%.3f%% of one core)\n",
        used / wall * 1000.0, used / wall * 100.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings(MemorySettingsStore(), Settings, QApplication::applicationDirPath());
    if (argc > 1 && QByteArray(argv[1]) == "cpu") {
        return cpu(argc > 2 ? std::max(1, std::atoi(argv[2])) : 10);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
