// Time from a key press reaching the board window to the changed read-out having
// been repainted, on a full-HD board. Run offscreen.
#include "benchutil.h"
#include "components/digitpanel.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
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
    const std::vector<double> samples = keyToRepaintUs(board.windowHandle(), home, Qt::Key_Insert, 2000, [&] {
        if (home->caption() >= 199) {
            board.game().setValue(GameField::ScoreHome, 0, GameCause::NewGame);
            QCoreApplication::processEvents();
        }
    });
    printPercentiles("key press to repainted home score (1920x1080)", samples, "us");
    return 0;
}
