// Time from a key press reaching the board window to the changed read-out having
// been repainted, on a full-HD board. Run offscreen.
#include "benchutil.h"
#include "components/digitpanel.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

namespace {

class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }
};

} // namespace

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
    PaintWatch watch;
    home->installEventFilter(&watch);
    QWindow* window = board.windowHandle();

    std::vector<double> samples;
    for (int i = 0; i < 2000; ++i) {
        if (home->caption() >= 199) {
            board.game().setValue(GameField::ScoreHome, 0, GameCause::NewGame);
            QCoreApplication::processEvents();
        }
        watch.painted = false;
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &press);
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Insert, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &release);
    }
    printPercentiles("key press to repainted home score (1920x1080)", samples, "us");
    return 0;
}
