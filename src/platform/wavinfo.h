#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the buzzer needs to know about a wave file before playing it: chiefly how
// long it lasts, so that a play can be ended by the clock when the audio system
// never reports the end itself.
namespace wavinfo {

struct WaveInfo {
    int formatTag = 0;
    int channels = 0;
    qint64 sampleRate = 0;
    int bitsPerSample = 0;
    qint64 byteRate = 0;
    // Where the samples start in the file, and how many bytes of them it holds.
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;

    // Whole milliseconds, rounded up.
    qint64 durationMs() const;
};

// Reads the RIFF (or big-endian RIFX) WAVE header at the start of `head`. `fileSize`
// is the size of the whole file: a data chunk that claims more than the file holds
// is cut to what is there. Anything that is not a usable wave header gives nullopt.
std::optional<WaveInfo> parse(QByteArrayView head, qint64 fileSize);

// parse() on the file at `path`; nullopt when it cannot be read.
std::optional<WaveInfo> readFile(const QString& path);

} // namespace wavinfo
