// Clock accuracy, buzzer latency and the board's CPU cost while both clocks run.
//   bench_clocks drift [seconds]   largest gap between the game engine and a monotonic reference
//   bench_clocks buzzer [runs]     engine at zero -> Buzzer() -> device reports playing
//   bench_clocks cpu [seconds]     CPU time of the board per second, both clocks running
// Run offscreen; the buzzer case needs a sound server for "playing" to mean anything.
#include "benchutil.h"
#include "components/clockengine.h"
#include "platform/multimediadevice.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The real device, with the moment of each play request noted.
class TimedDevice : public MultimediaDevice {
public:
    double playRequestedAt = 0;
    void play() override {
        playRequestedAt = nowMs();
        MultimediaDevice::play();
    }
};

std::unique_ptr<frmScoreBoard> makeBoard(MultimediaDevice* device = nullptr) {
    BoardEnvironment env;
    env.buzzer = device;
    auto board = std::make_unique<frmScoreBoard>(nullptr, env);
    board->resize(1920, 1080);
    board->show();
    return board;
}

void runFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec();
}

int drift(int seconds) {
    auto board = makeBoard();
    ClockEngine& game = board->teGame();
    game.setSeconds(Currency::fromInt(seconds + 10));
    const double start = nowMs();
    board->StartStopClock();
    double worst = 0;
    int ticks = 0;
    QObject::connect(&board->tmrClock1(), &QTimer::timeout, [&] {
        const double reference = (seconds + 10) * 1000.0 - (nowMs() - start);
        const double engine = game.seconds().toDouble() * 1000.0;
        worst = std::max(worst, std::abs(engine - reference));
        ++ticks;
    });
    runFor(seconds * 1000.0);
    std::printf("drift over %d s of real running (%d refreshes): largest |engine - reference| = %.3f ms\n",
                seconds, ticks, worst);
    return 0;
}

int buzzer(int runs) {
    Settings.BuzzerFile = QApplication::applicationDirPath() + QStringLiteral("/../src/buzzer.wav");
    auto* device = new TimedDevice;
    auto board = makeBoard(device);
    std::vector<double> toBuzzer;
    std::vector<double> toPlaying;
    double playingAt = 0;
    QObject::connect(device, &MultimediaDevice::playingChanged, [&](bool playing) {
        if (playing) {
            playingAt = nowMs();
        }
    });
    for (int i = 0; i < runs; ++i) {
        board->teGame().setSeconds(Currency::fromUnits(3000)); // 0.3 s
        const double zeroAt = nowMs() + 300;
        device->playRequestedAt = 0;
        playingAt = 0;
        board->StartStopClock();
        QElapsedTimer guard;
        guard.start();
        while ((device->playRequestedAt == 0 || playingAt == 0) && guard.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        if (device->playRequestedAt > 0) {
            toBuzzer.push_back(device->playRequestedAt - zeroAt);
        }
        if (playingAt > 0) {
            toPlaying.push_back(playingAt - zeroAt);
        }
        while (board->BuzzerPlaying() && guard.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
    }
    printPercentiles("engine at zero -> Buzzer()", toBuzzer, "ms");
    printPercentiles("engine at zero -> device reports playing", toPlaying, "ms");
    return 0;
}

int cpu(int seconds) {
    auto board = makeBoard();
    board->StartStopClock();
    board->ResetShotClock();
    runFor(500); // settle
    const double cpuStart = cpuSeconds();
    const double wallStart = nowMs();
    runFor(seconds * 1000.0);
    const double used = cpuSeconds() - cpuStart;
    const double wall = (nowMs() - wallStart) / 1000.0;
    std::printf("CPU while both clocks run (1920x1080): %.2f ms per second (%.3f%% of one core)\n",
                used / wall * 1000.0, used / wall * 100.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings(MemorySettingsStore(), Settings, QApplication::applicationDirPath());
    const QString what = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("all");
    const int n = argc > 2 ? std::atoi(argv[2]) : 0;
    int rc = 0;
    if (what == QLatin1String("drift") || what == QLatin1String("all")) {
        rc |= drift(n > 0 ? n : 60);
    }
    if (what == QLatin1String("buzzer") || what == QLatin1String("all")) {
        rc |= buzzer(n > 0 ? n : 20);
    }
    if (what == QLatin1String("cpu") || what == QLatin1String("all")) {
        rc |= cpu(n > 0 ? n : 10);
    }
    return rc;
}
