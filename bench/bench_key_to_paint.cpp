// Time from a key press reaching the board window to the changed read-out having
// been repainted, on a full-HD board, with the game record off and on (alternating blocks, so
// that the machine's load falls on both alike), presses 20 ms apart. Run offscreen.
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
    const auto measure = [&](int presses, std::vector<double>& samples) {
        const std::vector<double> block =
            keyToRepaintUs(board.windowHandle(), home, Qt::Key_Insert, presses, [&] {
                // No operator presses faster; the record's thread writes in the gap, as it would.
                runFor(20);
                if (home->caption() >= 199) {
                    board.game().setValue(GameField::ScoreHome, 0, GameCause::NewGame);
                    QCoreApplication::processEvents();
                }
            });
        samples.insert(samples.end(), block.begin(), block.end());
    };

    QTemporaryDir folder;
    RecordWriter writer({folder.filePath(QStringLiteral("games.sqlite"))});
    std::vector<double> off;
    std::vector<double> on;
    for (int block = 0; block < 10; ++block) {
        measure(100, off);
        GameRecord record(board.game(), writer);
        record.startNew();
        measure(100, on);
        record.end();
        writer.flush();
    }
    printPercentiles("key press to repainted home score (1920x1080), record off", off, "us");
    printPercentiles("key press to repainted home score (1920x1080), record on", on, "us");
    return 0;
}
