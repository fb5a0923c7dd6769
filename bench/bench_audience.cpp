// The audience window beside the operator's board, both showing one game, run offscreen:
//   bench_audience              both figures below
//   bench_audience cpu [s]      CPU per second with both clocks running: the board at 1920 x 1080,
//                               the audience window at 3840 x 2160
//   bench_audience latency [n]  a key press on the board to the audience's read-out repainted
#include "audience/audiencewindow.h"
#include "benchutil.h"
#include "components/digitpanel.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <memory>

namespace {

// The operator's board and the audience's, as the program pairs them.
struct TwoScreens {
    std::unique_ptr<frmScoreBoard> board;
    std::unique_ptr<AudienceWindow> audience;

    TwoScreens() {
        board = std::make_unique<frmScoreBoard>();
        BoardEnvironment view;
        view.game = &board->game();
        view.showOnly = true;
        audience = std::make_unique<AudienceWindow>(new frmScoreBoard(nullptr, view));
        board->resize(1920, 1080);
        board->show();
        audience->resize(3840, 2160);
        audience->show();
    }
    bool exposed() {
        return QTest::qWaitForWindowExposed(board.get()) && QTest::qWaitForWindowExposed(audience.get());
    }
};

int cpu(int seconds) {
    TwoScreens s;
    if (!s.exposed()) {
        return 1;
    }
    s.board->StartStopClock();
    s.board->ResetShotClock();
    const double share = cpuShareWhileRunning(seconds);
    std::printf(
        "CPU while both clocks run (board 1920x1080 and audience 3840x2160): %.2f ms per second (%.3f%% of "
        "one core)\n",
        share * 1000.0, share * 100.0);
    return 0;
}

int latency(int presses) {
    TwoScreens s;
    if (!s.exposed()) {
        return 1;
    }
    auto* home = s.audience->findChild<DigitPanel*>(QStringLiteral("digHome"));
    runFor(200);
    const std::vector<double> samples =
        keyToRepaintUs(s.board->windowHandle(), home, Qt::Key_Insert, presses, [&] {
            if (home->caption() >= 199) {
                s.board->game().setValue(GameField::ScoreHome, 0, GameCause::TypedEntry);
                QCoreApplication::processEvents();
            }
        });
    printPercentiles("key press to repainted audience home score (board 1920x1080, audience 3840x2160)",
                     samples, "us");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings(MemorySettingsStore(), Settings, QApplication::applicationDirPath());
    const QByteArray what = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
    if (what == "cpu") {
        return cpu(n ? n : 10);
    }
    if (what == "latency") {
        return latency(n ? n : 2000);
    }
    return cpu(10) | latency(2000);
}
