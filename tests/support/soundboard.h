#pragma once

// The real board with its real sound device, for the tests that listen to the horn.

#include "components/monotonicclock.h"
#include "platform/sounddevice.h"
#include "scoreboard/frmscoreboard.h"

#include <QString>
#include <memory>

// The build copies the buzzer sound next to the program, <build>/src/buzzer.wav, and the
// tests run from <build>/tests. RAVENMARK_BUZZER_WAV overrides that, for a test run against
// an installed or other sound.
QString buzzerWavPath();

// The tests need a widget application for the board; offscreen unless told otherwise.
void useOffscreenUnlessSet();

// The board on default settings with the given sound, a hand-moved clock and its refresh
// stopped, shown and active, driving the device it owns: a press plays only while nothing
// sounds, and the end of a play lets the next press through.
class BoardWithSound {
public:
    explicit BoardWithSound(const QString& sound);
    ~BoardWithSound();

    // The buzzer key, through the window as the operator presses it.
    void press() const;
    bool sounding() const;
    // Waits, bounded, until the play under way has ended.
    bool waitForEnd() const;
    // How many plays the device has started.
    int plays() const { return m_plays; }
    SoundDevice& device() const;
    frmScoreBoard& board() const { return *m_board; }

    ManualClock clock;

private:
    std::unique_ptr<frmScoreBoard> m_board;
    int m_plays = 0;
};
