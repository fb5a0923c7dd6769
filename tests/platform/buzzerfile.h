#pragma once

#include <QCoreApplication>
#include <QDir>
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
