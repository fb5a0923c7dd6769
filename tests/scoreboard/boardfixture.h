#pragma once

#include "components/boardshape.h"
#include "components/clockengine.h"
#include "components/clockpanel.h"
#include "components/digitpanel.h"
#include "components/monotonicclock.h"
#include "platform/rgbcolor.h"
#include "platform/sounddevice.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/fakes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

// The board's buzzer records its commands; the test decides when a playback finishes.
using FakeBuzzer = FakeSound;

// A board on the default settings, with a hand-moved clock, a fake buzzer and a fixed
// time of day.
struct BoardFixture {
    ManualClock clock;
    FakeBuzzer* buzzer = nullptr;
    QTime timeOfDay = QTime(14, 35);
    bool twelveHour = false;
    std::unique_ptr<frmScoreBoard> board;

    // loadSettings false: the test has set Settings up itself.
    explicit BoardFixture(const QString& buzzerFile = QCoreApplication::applicationFilePath(),
                          bool loadSettings = true) {
        if (loadSettings) {
            LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
        }
        // Any existing file opens the fake device.
        Settings.BuzzerFile = buzzerFile;
        create();
    }

    void create() {
        buzzer = new FakeBuzzer;
        BoardEnvironment env;
        env.clock = &clock;
        env.buzzer = buzzer;
        env.timeOfDay = [this] {
            return timeOfDay;
        };
        env.twelveHourClock = [this] {
            return twelveHour;
        };
        board = std::make_unique<frmScoreBoard>(nullptr, env);
        board->tmrClock1().stop(); // the tests refresh by hand
        board->show();
        board->activateWindow();
        if (!QTest::qWaitForWindowActive(board.get())) {
            qWarning("board window did not become active");
        }
    }

    template <typename T = DigitPanel> T* field(const char* name) const {
        return board->findChild<T*>(QLatin1String(name));
    }
    QWidget* widget(const char* name) const { return board->findChild<QWidget*>(QLatin1String(name)); }

    void focus(const char* name) const {
        QWidget* w = widget(name);
        w->setFocus(Qt::OtherFocusReason);
        QCoreApplication::processEvents();
    }

    // A key press and release through the window, the path a real key takes.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(board->windowHandle(), k, modifiers);
    }
};
