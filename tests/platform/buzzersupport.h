#pragma once

#include "platform/multimediadevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QString>

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

// How the board drives the device: a press plays only while nothing sounds, and the
// end of a play sends "Stop" and "Prev" and then lets the next press through.
class BoardGuard {
public:
    explicit BoardGuard(MultimediaDevice& device) : m_device(device) {
        m_connection = QObject::connect(&device, &MultimediaDevice::playbackFinished, &device, [this] {
            m_device.setCommand(QStringLiteral("Stop"));
            m_device.setCommand(QStringLiteral("Prev"));
            m_sounding = false;
        });
    }
    ~BoardGuard() { QObject::disconnect(m_connection); }
    BoardGuard(const BoardGuard&) = delete;
    BoardGuard& operator=(const BoardGuard&) = delete;

    void press() {
        if (!m_sounding) {
            m_sounding = true;
            ++m_plays;
            m_device.setCommand(QStringLiteral("Play"));
        }
    }
    bool sounding() const { return m_sounding; }
    int plays() const { return m_plays; }

private:
    MultimediaDevice& m_device;
    QMetaObject::Connection m_connection;
    bool m_sounding = false;
    int m_plays = 0;
};
