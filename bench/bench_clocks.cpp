// Clock accuracy, buzzer latency and the board's CPU cost while both clocks run.
//   bench_clocks drift [seconds]   largest gap between the game engine and a monotonic reference
//   bench_clocks buzzer [runs]     engine at zero, and the buzzer key, -> horn at the sink
//   bench_clocks cpu [seconds]     CPU time of the board per second, both clocks running
// Run offscreen; the buzzer case records the default sink's monitor, so it needs a sound
// server (scripts/with-services.sh provides one with a null sink).
#include "benchutil.h"
#include "components/clockengine.h"
#include "platform/sounddevice.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/soundsink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

std::unique_ptr<frmScoreBoard> makeBoard() {
    BoardEnvironment env;
    auto board = std::make_unique<frmScoreBoard>(nullptr, env);
    board->resize(1920, 1080);
    board->show();
    return board;
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

// The onset of the horn at the sink, `fromNs` being the moment it was asked for; -1
// when no new sound arrived. Waits for the play to end and the sink to be recorded past it.
double hornAfter(soundsink::Recorder& recorder, const frmScoreBoard& board, qint64 fromNs, std::size_t& seen,
                 std::vector<double>& lengths) {
    if (!QTest::qWaitFor([&] { return !board.BuzzerPlaying(); }, 5000) ||
        !recorder.waitUntilRecorded(soundsink::nowNs() + 100'000'000, 2000)) {
        return -1;
    }
    const std::vector<soundsink::Sound> sounds = soundsink::findSounds(recorder.samples());
    if (sounds.size() <= seen) {
        return -1;
    }
    const soundsink::Sound& horn = sounds.back();
    seen = sounds.size();
    lengths.push_back(horn.lengthMs());
    return recorder.msAfter(horn.first, fromNs);
}

// Every figure in the order measured, to tell a first play or a press after some other event
// from the rest.
void printInOrder(const char* what, const std::vector<double>& samples) {
    std::printf("%s, in order:", what);
    for (const double value : samples) {
        std::printf(" %.1f", value);
    }
    std::printf("\n");
}

int buzzer(int runs) {
    Settings.BuzzerFile = QApplication::applicationDirPath() + QStringLiteral("/../src/buzzer.wav");
    const QString sink = soundsink::pactl({"get-default-sink"});
    soundsink::Recorder recorder(sink + ".monitor");
    if (sink.isEmpty() || !recorder.running()) {
        std::printf("buzzer: no sound server to record (run under scripts/with-services.sh)\n");
        return 1;
    }
    auto board = makeBoard();
    board->activateWindow();
    if (!QTest::qWaitForWindowActive(board.get())) {
        std::printf("buzzer: the board window did not become active\n");
    }
    std::vector<double> toPlay;
    std::vector<double> runOutToSink;
    std::vector<double> keyToSink;
    std::vector<double> lengths;
    std::size_t seen = 0;
    double playAt = 0;
    QObject::connect(&board->mmcBuzzer(), &SoundDevice::playingChanged, [&](bool playing) {
        if (playing) {
            playAt = nowMs();
        }
    });
    for (int i = 0; i < runs; ++i) {
        // The engine counts on the system clock; the board's own 50 ms refresh finds it at zero.
        board->teGame().setSeconds(Currency::fromUnits(3000)); // 0.3 s
        const qint64 zeroNs = soundsink::nowNs() + 300'000'000;
        const double zeroAt = nowMs() + 300;
        playAt = 0;
        // An event loop, not QTest::qWaitFor: that sleeps 10 ms at a time, and the board's timers
        // cannot fire while it sleeps.
        QEventLoop played;
        QTimer::singleShot(3000, &played, &QEventLoop::quit);
        const QMetaObject::Connection quit =
            QObject::connect(&board->mmcBuzzer(), &SoundDevice::playingChanged, &played, &QEventLoop::quit);
        board->StartStopClock();
        played.exec();
        QObject::disconnect(quit);
        if (playAt > 0) {
            toPlay.push_back(playAt - zeroAt);
        }
        const double onset = hornAfter(recorder, *board, zeroNs, seen, lengths);
        if (onset >= -50) {
            runOutToSink.push_back(onset);
        }
    }
    for (int i = 0; i < runs; ++i) {
        const qint64 pressNs = soundsink::nowNs();
        QTest::keyClick(board->windowHandle(), Qt::Key_B);
        const double onset = hornAfter(recorder, *board, pressNs, seen, lengths);
        if (onset >= -50) {
            keyToSink.push_back(onset);
        }
    }
    printPercentiles("engine at zero -> play()", toPlay, "ms");
    printPercentiles("engine at zero -> horn at the sink", runOutToSink, "ms");
    printPercentiles("buzzer key -> horn at the sink", keyToSink, "ms");
    printPercentiles("horn length at the sink", lengths, "ms");
    printInOrder("engine at zero -> play()", toPlay);
    printInOrder("engine at zero -> horn at the sink", runOutToSink);
    printInOrder("buzzer key -> horn at the sink", keyToSink);
    return 0;
}

int cpu(int seconds) {
    auto board = makeBoard();
    board->StartStopClock();
    board->ResetShotClock();
    const double share = cpuShareWhileRunning(seconds);
    std::printf("CPU while both clocks run (1920x1080): %.2f ms per second (%.3f%% of one core)\n",
                share * 1000.0, share * 100.0);
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
