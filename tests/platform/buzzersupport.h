#pragma once

#include "platform/sounddevice.h"
#include "scoreboard/frmscoreboard.h"
#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

// The build copies the buzzer sound next to the program, <build>/src/buzzer.wav, and
// the tests run from <build>/tests. RAVENMARK_BUZZER_WAV overrides that, for a test
// run against an installed or other sound.
inline QString buzzerWavPath() {
    const QString fromEnvironment = qEnvironmentVariable("RAVENMARK_BUZZER_WAV");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/buzzer.wav"));
}

// The real board on default settings with the given sound, driving the device it owns:
// a press plays only while nothing sounds, and the end of a play lets the next press
// through.
class BoardWithSound {
public:
    explicit BoardWithSound(const QString& sound) {
        LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
        Settings.BuzzerFile = sound;
        BoardEnvironment environment;
        environment.quitOnClose = false;
        m_board = std::make_unique<frmScoreBoard>(nullptr, environment);
        m_board->tmrClock1().stop();
        QObject::connect(&device(), &SoundDevice::playingChanged, &device(),
                         [this](bool playing) { m_plays += playing ? 1 : 0; });
    }

    void press() { m_board->Buzzer(); }
    bool sounding() const { return m_board->BuzzerPlaying(); }
    // How many plays the device has started.
    int plays() const { return m_plays; }
    SoundDevice& device() const { return m_board->mmcBuzzer(); }

private:
    std::unique_ptr<frmScoreBoard> m_board;
    int m_plays = 0;
};

// The tests need a widget application for the board; offscreen unless told otherwise.
inline void useOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}
