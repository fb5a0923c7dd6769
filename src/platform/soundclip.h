#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// A sound decoded whole into memory, as interleaved 32-bit float samples at the
// file's own rate: every encoding a wave file is likely to hold comes out in the one
// form the audio output takes, so a play only has to copy samples.
struct SoundClip {
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> samples;

    qint64 frames() const { return channels > 0 ? qint64(samples.size()) / channels : 0; }
    qint64 durationMs() const { return sampleRate > 0 ? (frames() * 1000 + sampleRate - 1) / sampleRate : 0; }
};

namespace soundclip {

// Limits on what is taken for a buzzer sound: the size of the file read, and how much
// of it is kept (a longer sound is cut to this).
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
constexpr qint64 MaxPlayMs = 60 * 1000;
// More channels than any sound card a scoreboard plays on.
constexpr int MaxChannels = 8;

// Decodes a whole sound file held in memory (wave in any of its common encodings,
// and whatever else the decoder knows). A sound with no samples, or that cannot be
// decoded, gives nullopt and, in `why`, the reason.
std::optional<SoundClip> decode(const QByteArray& bytes, QString* why = nullptr);

// decode() on the file at `path`. Only a regular file of at most MaxFileBytes is read:
// a pipe or device would block the caller, and a huge file would be read whole.
std::optional<SoundClip> decodeFile(const QString& path, QString* why = nullptr);

} // namespace soundclip
