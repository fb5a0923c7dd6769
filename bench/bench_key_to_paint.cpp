// Time from a key press reaching the board window to the changed read-out having
// been repainted, on a full-HD board, with the game record off and on (alternating blocks, so
// that the machine's load falls on both alike), presses 20 ms apart, with the clocks stopped and then with
// the game clock running. Run offscreen.
#include "benchutil.h"
#include "components/digitpanel.h"
#include "record/gamerecord.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings(MemorySettingsStore(), Settings, QApplication::applicationDirPath());
    BoardEnvironment env;
    frmScoreBoard board(nullptr, env);
    board.resize(1920, 1080);
    board.show();
    board.activateWindow();
    if (!QTest::qWaitForWindowExposed(&board)) {
        return 1;
    }
    auto* home = board.findChild<DigitPanel*>(QStringLiteral("digHome"));
    const auto measure = [&](int presses, std::vector<double>& samples, std::vector<double>& cpu) {
        const std::vector<double> block = keyToRepaintUs(
            board.windowHandle(), home, Qt::Key_Insert, presses,
            [&] {
                // No operator presses faster; the record's thread writes in the gap, as it would.
                runFor(20);
                if (home->caption() >= 199) {
                    board.game().setValue(GameField::ScoreHome, 0, GameCause::NewGame);
                    QCoreApplication::processEvents();
                }
            },
            &cpu);
        samples.insert(samples.end(), block.begin(), block.end());
    };

    QTemporaryDir folder;
    RecordWriter writer({folder.filePath(QStringLiteral("games.sqlite"))});
    // First on a board at rest, then during play: the game clock running, as in a game, repainting
    // its read-out ten times a second and the record checkpointing it.
    for (const bool clockRunning : {false, true}) {
        if (clockRunning) {
            board.game().startStop();
        }
        std::vector<double> off;
        std::vector<double> on;
        std::vector<double> offCpu;
        std::vector<double> onCpu;
        for (int block = 0; block < 50; ++block) {
            if (clockRunning) {
                board.game().resetShotClock(); // no run-out in the middle of the presses
            }
            measure(20, off, offCpu);
            GameRecord record(board.game(), writer);
            record.startNew();
            measure(20, on, onCpu);
            record.end();
            writer.flush();
        }
        const char* mode = clockRunning ? "clock running" : "clocks stopped";
        const auto print = [&](const char* what, const std::vector<double>& samples) {
            printPercentiles(
                qPrintable(QStringLiteral("%1, %2").arg(QLatin1String(what), QLatin1String(mode))), samples,
                "us");
        };
        print("key press to repainted home score (1920x1080), record off", off);
        print("key press to repainted home score (1920x1080), record on", on);
        // The board's own work for a press, which the machine's other load does not inflate.
        print("board thread CPU per press, record off", offCpu);
        print("board thread CPU per press, record on", onCpu);
    }
    return 0;
}
